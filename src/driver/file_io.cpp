#include "file_io.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {
// Large enough that a job costs few system calls, small enough that memory
// does not grow with the job.
constexpr size_t kCopyBlockSize = 1 << 20;

bool isWriteSideError(int error) {
  return error == EPIPE || error == ENOSPC || error == EFBIG || error == EDQUOT;
}

// Lets the kernel move the bytes (sendfile). Returns false, having copied
// nothing, when these descriptors do not allow it; otherwise the copy is
// done or has failed.
bool copyInKernel(int inFd, off_t size, int outFd, CopyResult& result) {
  off_t offset = 0;
  while (offset < size) {
    ssize_t n = sendfile(outFd, inFd, &offset, std::min<size_t>(kCopyBlockSize, size - offset));
    if (n > 0) {
      result.bytes = offset;
      continue;
    }
    if (n == 0) {
      result = {false, offset, true, EIO};  // the file ended early
      return true;
    }
    if (errno == EINTR || errno == EAGAIN) continue;
    if ((errno == EINVAL || errno == ENOSYS) && offset == 0) return false;
    result = {false, offset, !isWriteSideError(errno), errno};
    return true;
  }
  return true;
}

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

CopyResult copyFilePrefix(int inFd, off_t size, int outFd, FILE* tee) {
  CopyResult result;
  if (!tee && copyInKernel(inFd, size, outFd, result)) return result;
  return copyFilePrefix(
      inFd, size,
      [outFd](std::string_view block) {
        return writeAll(outFd, block.data(), block.size()) ? 0 : errno;
      },
      tee);
}

CopyResult copyFilePrefix(int inFd, off_t size,
                          const std::function<int(std::string_view)>& write, FILE* tee) {
  CopyResult result;
  std::vector<char> block(std::min<size_t>(kCopyBlockSize, static_cast<size_t>(size)));
  while (result.bytes < size) {
    ssize_t n = pread(inFd, block.data(), std::min<size_t>(block.size(), size - result.bytes),
                      result.bytes);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return {false, result.bytes, true, n < 0 ? errno : EIO};
    if (int error = write({block.data(), static_cast<size_t>(n)}); error != 0)
      return {false, result.bytes, false, error};
    if (tee) fwrite(block.data(), 1, static_cast<size_t>(n), tee);
    result.bytes += n;
  }
  return result;
}

std::string errorText(int error) { return std::strerror(error); }
