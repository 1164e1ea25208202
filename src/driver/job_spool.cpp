#include "job_spool.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "file_io.h"

namespace {

// Waits for the child filter to end. A child that failed or was killed may
// have written only part of the job, which must not be printed.
bool waitForChild(const ChildFilter& child, const std::string& spoolPath, const JobEvents& events) {
  int status = 0;
  while (waitpid(child.pid, &status, 0) < 0) {
    if (errno != EINTR) return true;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  // The spool file reached the size limit of the job's processes.
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ)
    events.tell("ERROR: Unable to write file " + spoolPath + ": " + errorText(EFBIG) + "\n");
  else if (WIFSIGNALED(status))
    events.tell("ERROR: The PDF filter " + child.path + " was killed by signal " +
               std::to_string(WTERMSIG(status)) + "\n");
  else
    events.tell("ERROR: The PDF filter " + child.path + " failed with exit status " +
               std::to_string(WEXITSTATUS(status)) + "\n");
  return false;
}

}  // namespace

std::unique_ptr<SpoolingChild> SpoolingChild::start(const std::vector<std::string>& args,
                                                    WorkArea& area, const JobEvents& events) {
  int spoolFd = area.createWorkFile(area.spoolPath());
  if (spoolFd < 0) {
    events.tell("ERROR: Unable to open file " + area.spoolPath() + "\n");
    return nullptr;
  }
  std::string error;
  std::optional<ChildFilter> child =
      startChildFilter(childFilterCandidates(), args, spoolFd, error);
  if (!child) {
    close(spoolFd);
    events.tell("ERROR: " + error + "\n");
    return nullptr;
  }
  return std::unique_ptr<SpoolingChild>(new SpoolingChild(*child, spoolFd, area.spoolPath(), events));
}

bool SpoolingChild::finish(off_t& size) {
  bool ok = waitForChild(child, spoolPath, events);
  child.pid = -1;
  struct stat info;
  if (ok && fstat(spoolFd, &info) != 0) {
    events.tell("ERROR: Unable to read file " + spoolPath + ": " + errorText(errno) + "\n");
    ok = false;
  }
  size = ok ? info.st_size : 0;
  return ok;
}

SpoolingChild::~SpoolingChild() {
  if (child.pid > 0) {
    kill(child.pid, SIGTERM);
    while (waitpid(child.pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  close(spoolFd);
}
