#include "job_spool.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "child_filter.h"
#include "cleanup_on_signal.h"
#include "file_io.h"
#include "messages.h"

namespace {

// Waits for the child filter to end. A child that failed or was killed may
// have written only part of the job, which must not be printed.
bool waitForChild(const ChildFilter& child, const std::string& spoolPath) {
  int status = 0;
  while (waitpid(child.pid, &status, 0) < 0) {
    if (errno != EINTR) return true;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  // The spool file reached the size limit of the job's processes.
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ)
    reportLine("ERROR: Unable to write file " + spoolPath + ": " + errorText(EFBIG) + "\n");
  else if (WIFSIGNALED(status))
    reportLine("ERROR: The PDF filter " + child.path + " was killed by signal " +
               std::to_string(WTERMSIG(status)) + "\n");
  else
    reportLine("ERROR: The PDF filter " + child.path + " failed with exit status " +
               std::to_string(WEXITSTATUS(status)) + "\n");
  return false;
}

}  // namespace

bool spoolChildPdf(int argc, char* argv[], WorkArea& area, off_t& size) {
  int spoolFd = area.createWorkFile(area.spoolPath());
  if (spoolFd < 0) {
    reportLine("ERROR: Unable to open file " + area.spoolPath() + "\n");
    return false;
  }
  std::string error;
  std::optional<ChildFilter> child =
      startChildFilter(childFilterCandidates(), getArgs(argc, argv), spoolFd, error);
  if (!child) {
    close(spoolFd);
    reportLine("ERROR: " + error + "\n");
    return false;
  }
  cleanupSetChild(child->pid);
  bool ok = waitForChild(*child, area.spoolPath());
  cleanupSetChild(0);
  struct stat info;
  if (ok && fstat(spoolFd, &info) != 0) {
    reportLine("ERROR: Unable to read file " + area.spoolPath() + ": " + errorText(errno) + "\n");
    ok = false;
  }
  size = ok ? info.st_size : 0;
  close(spoolFd);
  return ok;
}
