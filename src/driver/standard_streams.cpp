#include "standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool isClosed(int fd) { return fcntl(fd, F_GETFD) < 0 && errno == EBADF; }

}  // namespace

std::string holdStandardDescriptors() {
  std::string closed;
  // In order: the lowest free number is the one being filled.
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (!isClosed(fd)) continue;
    // If even /dev/null cannot be opened, the descriptor stays closed and
    // the caller fails the run all the same.
    open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (fd == STDIN_FILENO) continue;
    if (!closed.empty()) closed += " and ";
    closed += fd == STDOUT_FILENO ? "standard output" : "standard error";
  }
  return closed;
}
