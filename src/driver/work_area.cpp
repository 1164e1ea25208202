#include "work_area.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "cleanup_on_signal.h"
#include "file_io.h"

namespace {

std::string environmentOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return (value && *value) ? value : fallback;
}

// Takes the lock that serialises logged runs; waits for a running one. A
// symlink planted at the lock's name is removed, never followed.
int lockLoggedRuns(const std::string& folder, std::string& error) {
  std::string path = folder + "/qrl_lock";
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0 && errno == ELOOP && unlink(path.c_str()) == 0)
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    error = "Unable to open file " + path + ": " + errorText(errno);
    return -1;
  }
  while (flock(fd, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    error = "Unable to lock file " + path + ": " + errorText(errno);
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::string fixedNameFolder() { return environmentOr("TICKETPRESS_TMPDIR", "/tmp"); }

bool logSwitchPresent(const std::string& folder) {
  struct stat info;
  return lstat((folder + "/qrl_log").c_str(), &info) == 0;
}

std::unique_ptr<WorkArea> WorkArea::create(bool logToDisk, const std::string& fixedFolder,
                                           std::string& error) {
  std::unique_ptr<WorkArea> area(new WorkArea());
  area->keepWorkFiles = logToDisk;
  if (logToDisk) {
    area->lockFd = lockLoggedRuns(fixedFolder, error);
    if (area->lockFd < 0) return nullptr;
  }

  std::string pattern = environmentOr("TMPDIR", "/tmp") + "/ticketpress-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) {
    error = "Unable to create a work folder " + pattern + ": " + errorText(errno);
    return nullptr;
  }
  area->privateFolder = buffer.data();
  cleanupAddPath(area->privateFolder, true);

  area->workFolder = logToDisk ? fixedFolder : area->privateFolder;
  area->pdf = area->pathFor("qrl_pdf");
  area->ticket = area->pathFor("qrl_qfjt");
  area->merged = area->pathFor("qrl_tempPDF");
  area->spool = logToDisk ? area->privateFolder + "/child_pdf" : area->pdf;
  return area;
}

int WorkArea::createWorkFile(const std::string& path) {
  // A fresh inode each time: whatever sits at a fixed name (a planted
  // symlink, another user's file) is unlinked, never opened.
  if (unlink(path.c_str()) != 0 && errno != ENOENT) return -1;
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd >= 0 && (!keepWorkFiles || path == spool)) cleanupAddPath(path, false);
  return fd;
}

void WorkArea::removeWorkFiles() {
  for (const std::string* path : {&ticket, &merged, &pdf, &spool}) {
    if (keepWorkFiles && path != &spool) continue;
    unlink(path->c_str());
    cleanupForgetPath(*path);
  }
}

WorkArea::~WorkArea() {
  removeWorkFiles();
  if (!privateFolder.empty()) {
    rmdir(privateFolder.c_str());
    cleanupForgetPath(privateFolder);
  }
  if (lockFd >= 0) close(lockFd);
}
