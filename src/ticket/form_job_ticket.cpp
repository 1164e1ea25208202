#include "form_job_ticket.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "option_keys.h"
#include "string_additions.h"
#include "xml_text.h"

namespace {

// Writes all of bytes to fd, retrying after interruptions and short writes.
bool writeFragment(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

formJobTicket::formJobTicket(std::shared_ptr<const argumentStore> inputTicket)
    : ticketData(std::move(inputTicket)) {
  xmlLines.reserve(5);
}

std::unique_ptr<formJobTicket> formJobTicket::initWithTicket(
    std::shared_ptr<const argumentStore> inputTicket, int32_t newCopiesCount) {
  std::unique_ptr<formJobTicket> ticket(new formJobTicket(std::move(inputTicket)));

  const std::string* jobName = ticket->option(kJobNameKey);
  ticket->append("<QuorlanFormJobTicket JobName=\"" + escapeXmlAttribute(jobName ? *jobName : "") +
                 "\" ");
  ticket->append(">\n");

  const std::string* pages = ticket->option(kTotalPagesKey);
  const int32_t totalPages = pages ? intValue(*pages) : 1;
  const std::string* firstPageSource = ticket->option(kFirstPageSourceKey);
  const std::string* otherPagesSource = ticket->option(kInputSlotKey);

  // The first page gets a range of its own only when it comes from another
  // tray than the rest of the job.
  if (firstPageSource && otherPagesSource && *firstPageSource != *otherPagesSource) {
    ticket->buildPageRange(1, 1, firstPageSource, newCopiesCount);
    if (totalPages > 1) ticket->buildPageRange(2, totalPages, otherPagesSource, newCopiesCount);
  } else {
    ticket->buildPageRange(1, totalPages, firstPageSource, newCopiesCount);
  }

  ticket->append("</QuorlanFormJobTicket>\n");
  return ticket;
}

// One page range with every attribute step, in the document's fixed order.
void formJobTicket::buildPageRange(int32_t startPage, int32_t endPage,
                                   const std::string* paperSource, int32_t newCopiesCount) {
  startPageAttribRange(startPage, endPage);
  setPaperSource(paperSource);
  setPaperSize();
  setMediaType();
  setDuplex();
  setResolution();
  setHolePunch();
  setStapleJob();
  setTonerDarkness();
  setCollation();
  setOutputBin();
  setNumberOfCopies(newCopiesCount);
  endPageAttribRange();
}

void formJobTicket::startPageAttribRange(int32_t startPage, int32_t endPage) {
  append("<PageAttribRange StartPageNum=\"" + std::to_string(startPage) + "\" EndPageNum=\"" +
         std::to_string(endPage) + "\" ");
}

void formJobTicket::endPageAttribRange() {
  append(">\n");
  append("</PageAttribRange>\n");
}

// The one attribute without a trailing space.
void formJobTicket::setNumberOfCopies(int32_t newCopiesCount) {
  if (newCopiesCount != 0) {
    append("Copies=\"1\"");
    return;
  }
  const std::string* copies = option(kCopiesKey);
  if (copies) append("Copies=\"" + std::to_string(intValue(*copies)) + "\"");
}

std::string formJobTicket::text() const {
  std::string document;
  for (const std::string& fragment : xmlLines) document += fragment;
  return document;
}

TicketWriteStatus formJobTicket::writeQFJTtoFile(const std::string& qfjtPath) const {
  int fd = open(qfjtPath.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return TicketWriteStatus::notOpened;
  bool complete = true;
  for (uint32_t key = 0; key < count() && complete; ++key)
    complete = writeFragment(fd, objectOfKey(key));
  if (close(fd) != 0) complete = false;
  return complete ? TicketWriteStatus::written : TicketWriteStatus::incomplete;
}
