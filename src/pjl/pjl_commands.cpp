#include "pjl_commands.h"

#include <unistd.h>

#include <climits>

#include "pjl_line.h"
#include "pjl_tables.h"

namespace {

constexpr std::string_view kEndOfJob = "@PJL EOJ\n";

// Writes bytes to a stdio stream; failures show in the stream's error state.
void writeBytes(FILE* stream, std::string_view bytes) {
  if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), stream);
}

}  // namespace

std::string localHostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

pjlCommands::pjlCommands(std::shared_ptr<const argumentStore> inputTicket, std::string loggedUser,
                         std::string fallbackCopies, FILE* printer, FILE* errors)
    : ticketData(std::move(inputTicket)),
      currentUser(std::move(loggedUser)),
      defaultCopies(std::move(fallbackCopies)),
      printerStream(printer),
      errorStream(errors) {}

// Appends pattern filled with values. Every line of the block passes here,
// so no option value can add a line or a command of its own.
void pjlCommands::appendLine(std::string_view pattern,
                             std::initializer_list<std::string_view> values) {
  if (pjlLines) pjlLines->push_back(formatPJLLine(pattern, values));
}

// Writes message to the error stream at once, for the spooler's log.
void pjlCommands::reportError(std::string_view message) {
  writeBytes(errorStream, message);
  fflush(errorStream);
}

void pjlCommands::createPJLCommandsBuffer() {
  pjlLines.emplace();
  pjlLines->reserve(20);
  appendLine(kJobInfoLine, {currentUser, localHostName()});
}

void pjlCommands::resetPJLCommandsBuffer() { pjlLines.reset(); }

void pjlCommands::setPJLJob() {
  const std::string* name = ticketData->getValue(kJobNameKey);
  appendLine(kJobNameLine, {name ? *name : std::string_view()});
}

void pjlCommands::setQuantity() {
  const std::string* copies = ticketData->getValue(kCopiesKey);
  appendLine(kQuantityLine, {copies ? *copies : defaultCopies});
}

uint32_t pjlCommands::ticketCount() const {
  return pjlLines ? static_cast<uint32_t>(pjlLines->size()) : 0;
}

const std::string& pjlCommands::objectOfKey(uint32_t key) const { return pjlLines->at(key); }

std::span<const std::string> pjlCommands::objectEnumerator() const {
  if (!pjlLines) return {};
  return *pjlLines;
}

void pjlCommands::sendPJLLinesToPrinter(bool logToDisk, FILE* pdf_output) {
  for (const std::string& line : objectEnumerator()) {
    writeBytes(printerStream, line);
    fflush(printerStream);
    if (logToDisk && pdf_output) writeBytes(pdf_output, line);
  }
}

void pjlCommands::setPJLEndOfJob(bool logToDisk, FILE* pdf_output) {
  writeBytes(printerStream, kEndOfJob);
  if (logToDisk && pdf_output) writeBytes(pdf_output, kEndOfJob);
}
