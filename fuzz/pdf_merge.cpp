// Any bytes as the job's PDF through the merge and the page count. Whatever
// the bytes, the merge either fails with a message or writes a file that
// begins with the input (but for the last bytes that the update overwrites)
// and gives the ticket back whole; the update handed back alone makes the
// same file; nothing is read outside the input.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "page_count.h"
#include "ticket_merge.h"

namespace {

constexpr std::string_view kTicket =
    "<QuorlanFormJobTicket JobName=\"fuzz\" >\n"
    "<PageAttribRange StartPageNum=\"1\" EndPageNum=\"1\" Copies=\"1\">\n"
    "</PageAttribRange>\n</QuorlanFormJobTicket>\n";

// An in-memory file holding bytes; its path is /proc/self/fd/N.
struct MemoryFile {
  int fd;
  explicit MemoryFile(std::string_view bytes) : fd(memfd_create("fuzz", MFD_CLOEXEC)) {
    require(fd >= 0);
    require(write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
  }
  ~MemoryFile() { close(fd); }
  std::string path() const { return "/proc/self/fd/" + std::to_string(fd); }
  std::string contents() const {
    std::string bytes(static_cast<size_t>(lseek(fd, 0, SEEK_END)), '\0');
    require(pread(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()));
    return bytes;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view pdf(reinterpret_cast<const char*>(data), size);
  countPages(pdf);

  MemoryFile input(pdf), output("");
  MergeResult merged = mergeTicket(
      MergeRequest::combine(input.path(), output.path(), "").withTicketBytes(std::string(kTicket)));
  MergeResult alone =
      mergeTicket(MergeRequest::updateOnly(input.path(), "").withTicketBytes(std::string(kTicket)));
  require(alone.status == merged.status && alone.ticketAdded == merged.ticketAdded);
  if (merged.status != kMergeOk) {
    require(!merged.message.empty());
    return 0;
  }
  const std::string written = output.contents();
  if (written.empty()) return 0;  // an encrypted input that cannot carry a ticket
  require(written.size() > size);
  // The input's bytes stay, but for its last five, which the update
  // overwrites with "%%%%\n".
  const size_t overwritten = std::min<size_t>(size, 5);
  require(std::string_view(written).substr(0, size - overwritten) ==
          pdf.substr(0, size - overwritten));
  require(std::string(pdf.substr(0, static_cast<size_t>(alone.keptInputBytes))) + alone.update == written);

  MemoryFile merged_file(written), extracted("");
  MergeResult back = mergeTicket(MergeRequest::extract(merged_file.path(), extracted.path()));
  // A file that had all 19 sections a reader takes gets its 20th here.
  if (back.message.find("Too many trailers: 20") != std::string::npos) return 0;
  require(back.status == kMergeOk);
  require(extracted.contents() == kTicket);
  return 0;
}
