#include "job_spool.h"

#include <signal.h>
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
bool waitForChild(const ChildFilter& child) {
  int status = 0;
  while (waitpid(child.pid, &status, 0) < 0) {
    if (errno != EINTR) return true;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  if (WIFSIGNALED(status))
    reportLine("ERROR: The PDF filter " + child.path + " was killed by signal " +
               std::to_string(WTERMSIG(status)) + "\n");
  else
    reportLine("ERROR: The PDF filter " + child.path + " failed with exit status " +
               std::to_string(WEXITSTATUS(status)) + "\n");
  return false;
}

}  // namespace

bool spoolChildPdf(int argc, char* argv[], WorkArea& area, off_t& size) {
  std::string error;
  std::optional<ChildFilter> child =
      startChildFilter(childFilterCandidates(), getArgs(argc, argv), error);
  if (!child) {
    reportLine("ERROR: " + error + "\n");
    return false;
  }
  cleanupSetChild(child->pid);

  bool ok = false;
  int spoolFd = area.createWorkFile(area.spoolPath());
  if (spoolFd < 0) {
    reportLine("ERROR: Unable to open file " + area.spoolPath() + "\n");
  } else {
    CopyResult copy = copyStream(child->output, spoolFd);
    if (!copy.ok && copy.readFailed)
      reportLine("ERROR: Unable to read the output of " + child->path + ": " +
                 errorText(copy.error) + "\n");
    else if (!copy.ok)
      reportLine("ERROR: Unable to write file " + area.spoolPath() + ": " +
                 errorText(copy.error) + "\n");
    size = copy.bytes;
    ok = copy.ok;
    if (close(spoolFd) != 0 && ok) {
      reportLine("ERROR: Unable to write file " + area.spoolPath() + ": " + errorText(errno) +
                 "\n");
      ok = false;
    }
  }
  close(child->output);
  if (ok) {
    ok = waitForChild(*child);
  } else {
    // A child still writing when the job is given up must not go on.
    kill(child->pid, SIGTERM);
    waitpid(child->pid, nullptr, 0);
  }
  cleanupSetChild(0);
  return ok;
}

