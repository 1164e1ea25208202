#include "state_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

// The most names keepAside tries for one second.
constexpr int kMaxAsideNames = 100;

// Writes all of text to fd, whatever the signals; 0 or errno.
int writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    if (written == 0) return EIO;
    text.remove_prefix(static_cast<size_t>(written));
  }
  return 0;
}

// The folder that holds path.
std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

int readWholeFile(const std::string& path, std::string& text) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  text.clear();
  char buffer[16384];
  int failure = 0;
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) failure = errno;
    if (got <= 0) break;
    text.append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  return failure;
}

int writeNewFile(const std::string& path, std::string_view text) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  int failure = writeAll(fd, text);
  if (!failure && fsync(fd) != 0) failure = errno;
  if (close(fd) != 0 && !failure) failure = errno;
  if (failure) unlink(path.c_str());
  return failure;
}

int keepAside(const std::string& path, std::string_view text, std::time_t now, std::string& kept) {
  std::tm utc{};
  if (!gmtime_r(&now, &utc)) return EOVERFLOW;
  char stamp[40];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02dT%02d%02d%02dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  const std::string base = path + ".rejected-" + stamp;
  for (int n = 1; n <= kMaxAsideNames; ++n) {
    const std::string name = n == 1 ? base : base + "-" + std::to_string(n);
    const int failure = writeNewFile(name, text);
    if (failure == EEXIST) continue;
    if (!failure) kept = name;
    return failure;
  }
  return EEXIST;
}

int replaceFileText(const std::string& path, std::string_view text) {
  const std::string fresh = path + ".new";
  if (unlink(fresh.c_str()) != 0 && errno != ENOENT) return errno;
  if (const int failure = writeNewFile(fresh, text)) return failure;
  if (rename(fresh.c_str(), path.c_str()) != 0) {
    const int failure = errno;
    unlink(fresh.c_str());
    return failure;
  }
  // The rename itself lasts a crash only once the folder is on disk.
  const int folder = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return errno;
  const int failure = fsync(folder) != 0 ? errno : 0;
  close(folder);
  return failure;
}
