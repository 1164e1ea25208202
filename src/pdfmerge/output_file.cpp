#include "output_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

// Buffered output goes out once this much has gathered.
constexpr size_t kFlushSize = 1 << 20;
// Block size of the read/write copy used where the kernel cannot copy.
constexpr size_t kCopyBlockSize = 1 << 20;

// Copies with read and write from inFd's offset to outFd.
int copyByBlocks(int inFd, int outFd, off_t inOffset, int64_t size) {
  std::vector<char> block(kCopyBlockSize);
  while (size > 0) {
    ssize_t n = pread(inFd, block.data(),
                      static_cast<size_t>(std::min<int64_t>(size, kCopyBlockSize)), inOffset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    if (int rc = writeBytes(outFd, {block.data(), static_cast<size_t>(n)}); rc != 0) return rc;
    inOffset += n;
    size -= n;
  }
  return 0;
}

}  // namespace

// Appends to the buffer, writing it out when large.
void OutputFile::write(std::string_view bytes) {
  pending += bytes;
  if (pending.size() >= kFlushSize) flush();
}

// Flushes, then lets the kernel copy the file; in memory, reads it in.
void OutputFile::copyFrom(int inFd, int64_t size) {
  if (fd < 0) {
    size_t start = pending.size();
    pending.resize(start + static_cast<size_t>(size));
    int64_t done = 0;
    while (done < size) {
      ssize_t n = pread(inFd, pending.data() + start + done, static_cast<size_t>(size - done), done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (firstError == 0) firstError = n < 0 ? errno : EIO;
        return;
      }
      done += n;
    }
    return;
  }
  if (!flush()) return;
  int rc = copyFileBytes(inFd, fd, size);
  if (rc != 0 && firstError == 0) firstError = rc;
  written += size;
}

// Writes the buffer out; in memory, keeps it.
bool OutputFile::flush() {
  if (fd >= 0 && !pending.empty()) {
    int rc = writeBytes(fd, pending);
    if (rc != 0 && firstError == 0) firstError = rc;
    written += static_cast<int64_t>(pending.size());
    pending.clear();
  }
  return firstError == 0;
}

// copy_file_range where the file systems allow it, blocks elsewhere.
int copyFileBytes(int inFd, int outFd, int64_t size) {
  off_t inOffset = 0;
  while (size > 0) {
    ssize_t n = copy_file_range(inFd, &inOffset, outFd, nullptr, static_cast<size_t>(size), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                  errno == EBADF))
      return copyByBlocks(inFd, outFd, inOffset, size);
    if (n < 0) return errno;
    if (n == 0) return EIO;
    size -= n;
  }
  return 0;
}

// write() until every byte is out.
int writeBytes(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return 0;
}
