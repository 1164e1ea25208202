#include "file_io.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
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

namespace {

bool isWriteSideError(int error) {
  return error == EPIPE || error == ENOSPC || error == EFBIG || error == EDQUOT;
}

// Lets the kernel move the bytes of a regular file (sendfile). Returns
// false, having copied nothing, when these descriptors do not allow it;
// otherwise the copy is done or has failed.
bool copyInKernel(int inFd, int outFd, CopyResult& result) {
  struct stat info;
  if (fstat(inFd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  for (;;) {
    ssize_t n = sendfile(outFd, inFd, nullptr, kCopyBlockSize);
    if (n == 0) return true;
    if (n > 0) {
      result.bytes += n;
      continue;
    }
    if (errno == EINTR || errno == EAGAIN) continue;
    if ((errno == EINVAL || errno == ENOSYS) && result.bytes == 0) return false;
    result = {false, result.bytes, !isWriteSideError(errno), errno};
    return true;
  }
}

// Moves a pipe's bytes into outFd with splice, so that they never pass
// through this process. Returns false, having copied nothing, when these
// descriptors do not allow it; otherwise the copy is done or has failed.
bool spliceFromPipe(int inFd, int outFd, CopyResult& result) {
  struct stat info;
  if (fstat(inFd, &info) != 0 || !S_ISFIFO(info.st_mode)) return false;
  for (;;) {
    ssize_t n = splice(inFd, nullptr, outFd, nullptr, kCopyBlockSize, SPLICE_F_MOVE);
    if (n == 0) return true;
    if (n > 0) {
      result.bytes += n;
      continue;
    }
    if (errno == EINTR || errno == EAGAIN) continue;
    if (errno == EINVAL && result.bytes == 0) return false;
    result = {false, result.bytes, !isWriteSideError(errno), errno};
    return true;
  }
}

}  // namespace

CopyResult copyStream(int inFd, int outFd, FILE* tee) {
  CopyResult result;
  if (!tee && (copyInKernel(inFd, outFd, result) || spliceFromPipe(inFd, outFd, result)))
    return result;
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
