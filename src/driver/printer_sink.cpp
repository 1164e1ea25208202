#include "printer_sink.h"

#include <cerrno>

namespace {

// The stdio write hook of openWriterStream.
ssize_t writeToWriter(void* cookie, const char* data, size_t size) {
  const auto* writer = static_cast<const PrinterSink::Writer*>(cookie);
  if (int error = (*writer)({data, size}); error != 0) {
    errno = error;
    return 0;
  }
  return static_cast<ssize_t>(size);
}

}  // namespace

FILE* openWriterStream(const PrinterSink::Writer* writer) {
  cookie_io_functions_t hooks = {};
  hooks.write = writeToWriter;
  return fopencookie(const_cast<PrinterSink::Writer*>(writer), "w", hooks);
}

PrinterSink::PrinterSink(int fd)
    : fd(fd), writer([fd](std::string_view bytes) {
        return writeAll(fd, bytes.data(), bytes.size()) ? 0 : errno;
      }) {}

PrinterSink::PrinterSink(Writer writer) : writer(std::move(writer)) {}

PrinterSink::~PrinterSink() = default;

// Stops at the first failure, so that nothing follows a gap in the stream.
bool PrinterSink::write(std::string_view bytes) {
  if (firstError == 0 && !bytes.empty()) firstError = writer(bytes);
  return firstError == 0;
}

// The kernel moves the file to a descriptor; a callback gets blocks.
CopyResult PrinterSink::sendFile(int inFd, off_t size, FILE* tee) {
  if (firstError != 0) return {false, 0, false, firstError};
  CopyResult result = fd >= 0 ? copyFilePrefix(inFd, size, fd, tee)
                              : copyFilePrefix(inFd, size, writer, tee);
  if (!result.ok && !result.readFailed) firstError = result.error;
  return result;
}

// The stream goes through write(), so that it shares the first error.
FILE* PrinterSink::stream() {
  if (!stdioStream) {
    throughWrite = [this](std::string_view bytes) { return write(bytes) ? 0 : firstError; };
    stdioStream.reset(openWriterStream(&throughWrite));
  }
  return stdioStream.get();
}
