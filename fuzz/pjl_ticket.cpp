// The PJL block and the form job ticket built from one job's arguments.
// Input: the user name, the copies argument and the option string of the
// filter's command line, separated by NUL bytes as they lie in memory
// (missing ones are empty). Whatever they hold, every PJL line is exactly
// one "@PJL " command ending in its one line feed, the printer receives
// just those lines and the end of job, errors are whole "ERROR: " lines,
// and the ticket is well-formed XML that keeps a plain job name intact.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "argument_store.h"
#include "form_job_ticket.h"
#include "fuzz_check.h"
#include "pjl_commands.h"

namespace {

constexpr std::string_view kJobNameKey = "com.apple.print.JobInfo.PMJobName";

// A stdio stream into memory, read back whole.
class MemoryStream {
 public:
  MemoryStream() : stream(open_memstream(&buffer, &size)) { require(stream != nullptr); }
  ~MemoryStream() {
    std::fclose(stream);
    std::free(buffer);
  }
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;
  FILE* file() { return stream; }
  std::string text() {
    std::fflush(stream);
    return std::string(buffer, size);
  }

 private:
  char* buffer = nullptr;
  size_t size = 0;
  FILE* stream;
};

bool isControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

// line starts with prefix, ends in its only line feed and holds no other
// control byte.
void checkOneLine(std::string_view line, std::string_view prefix) {
  require(line.starts_with(prefix));
  require(line.size() > prefix.size() && line.back() == '\n');
  for (char c : line.substr(0, line.size() - 1)) require(!isControlByte(c));
}

// Each message on the error stream is a whole "ERROR: " line.
void checkErrorLines(std::string_view errors) {
  while (!errors.empty()) {
    const size_t end = errors.find('\n');
    require(end != std::string_view::npos);
    checkOneLine(errors.substr(0, end + 1), "ERROR: ");
    errors.remove_prefix(end + 1);
  }
}

// Builds the block as the filter does, with the paper source line as well,
// and checks every line and what reaches the printer.
void checkPJLBlock(const std::shared_ptr<const argumentStore>& store, const std::string& user,
                   const std::string& copies) {
  MemoryStream printer;
  MemoryStream errors;
  pjlCommands pjl(store, user, copies, printer.file(), errors.file());
  pjl.createPJLCommandsBuffer();
  pjl.setPJLJob();
  pjl.setCommonPJLCommands();
  pjl.setQuantity();
  const std::string* inputSlot = store->getValue("InputSlot");
  if (inputSlot) pjl.setPaperSource(*inputSlot);

  std::string expected;
  for (const std::string& line : pjl.objectEnumerator()) {
    checkOneLine(line, "@PJL ");
    expected += line;
  }
  pjl.sendPJLLinesToPrinter(false, nullptr);
  pjl.setPJLEndOfJob(false, nullptr);
  require(printer.text() == expected + "@PJL EOJ\n");
  checkErrorLines(errors.text());
}

// True when name must read back unchanged from the ticket: ASCII without
// control bytes, which attribute-value normalisation would turn into spaces.
bool isPlainName(std::string_view name) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80 || isControlByte(c)) return false;
  }
  return true;
}

// The ticket parses as XML (UTF-8, no recovery); its root keeps a plain
// job name as given.
void checkTicket(const std::shared_ptr<const argumentStore>& store, int32_t newCopiesCount) {
  const std::string document = formJobTicket::initWithTicket(store, newCopiesCount)->text();
  xmlDocPtr parsed = xmlReadMemory(document.data(), static_cast<int>(document.size()),
                                   "ticket.xml", "UTF-8",
                                   XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  require(parsed != nullptr);
  const xmlNode* root = xmlDocGetRootElement(parsed);
  require(root != nullptr);
  require(xmlStrcmp(root->name, BAD_CAST "QuorlanFormJobTicket") == 0);

  const std::string* jobName = store->getValue(kJobNameKey);
  xmlChar* parsedName = xmlGetProp(root, BAD_CAST "JobName");
  require(parsedName != nullptr);
  if (jobName && isPlainName(*jobName))
    require(*jobName == reinterpret_cast<const char*>(parsedName));
  xmlFree(parsedName);
  xmlFreeDoc(parsed);
}

// The next NUL-ended part of input; input moves past it and its NUL.
std::string nextArgument(std::string_view& input) {
  const size_t end = std::min(input.find('\0'), input.size());
  std::string part(input.substr(0, end));
  input.remove_prefix(std::min(end + 1, input.size()));
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string user = nextArgument(input);
  const std::string copies = nextArgument(input);
  const std::string options = nextArgument(input);

  const std::shared_ptr<const argumentStore> store =
      argumentStore::initWithOptionString(options.c_str());
  checkPJLBlock(store, user, copies);
  checkTicket(store, 0);
  checkTicket(store, 1);
  return 0;
}
