#include "input_copy.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "output_file.h"

namespace {

// Marks the input's old end, the last bytes of the copy, as a comment line.
int overwriteOldEnd(int fd, int64_t size) {
  if (size < static_cast<int64_t>(kEndOverwrite.size())) return 0;
  ssize_t n = pwrite(fd, kEndOverwrite.data(), kEndOverwrite.size(),
                     size - static_cast<off_t>(kEndOverwrite.size()));
  return n == static_cast<ssize_t>(kEndOverwrite.size()) ? 0 : (n < 0 ? errno : EIO);
}

}  // namespace

// Without a second thread the copy is left to finish, as if not early.
InputCopy::InputCopy(int inFd, int outFd, int64_t size, bool early)
    : inFd(inFd), outFd(outFd), size(size) {
  if (!early) return;
  try {
    worker = std::thread(&InputCopy::run, this);
  } catch (const std::system_error&) {
  }
}

// Joins the thread that copies, or copies on this one.
int InputCopy::finish() {
  if (worker.joinable())
    worker.join();
  else
    run();
  if (thrown) std::rethrow_exception(thrown);
  return result;
}

// Only an early copy has written anything.
bool InputCopy::discard() {
  if (!worker.joinable()) return true;
  worker.join();
  return ftruncate(outFd, 0) == 0;
}

// Nothing it throws leaves the thread.
void InputCopy::run() {
  try {
    result = copyFileBytes(inFd, outFd, size);
    if (result == 0) result = overwriteOldEnd(outFd, size);
  } catch (...) {
    thrown = std::current_exception();
  }
}
