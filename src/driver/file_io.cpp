#include "file_io.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {
// Large enough that a job costs few system calls, small enough that memory
// does not grow with the job.
constexpr size_t kCopyBlockSize = 1 << 20;
}  // namespace

bool writeAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

CopyResult copyStream(int inFd, int outFd, FILE* tee) {
  CopyResult result;
  std::vector<char> block(kCopyBlockSize);
  for (;;) {
    ssize_t n = read(inFd, block.data(), block.size());
    if (n == 0) return result;
    if (n < 0) {
      if (errno == EINTR) continue;
      return {false, result.bytes, true, errno};
    }
    if (!writeAll(outFd, block.data(), static_cast<size_t>(n)))
      return {false, result.bytes, false, errno};
    if (tee) fwrite(block.data(), 1, static_cast<size_t>(n), tee);
    result.bytes += n;
  }
}

std::string errorText(int error) { return std::strerror(error); }
