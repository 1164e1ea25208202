#include "device_policy.h"

#include <cups/http.h>
#include <strings.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <string_view>

namespace {

// PAPPL reads a device URI's path into 256 bytes: a longer one would be
// cut to another path than the one checked here.
constexpr size_t kPapplPathBytes = 256;

// path without symbolic links, "." or ".."; nullopt when its folder does
// not exist. The file itself need not exist yet.
std::optional<std::string> resolved(const std::string& path) {
  char real[PATH_MAX];
  if (realpath(path.c_str(), real)) return std::string(real);
  const size_t slash = path.rfind('/');
  const std::string name = path.substr(slash + 1);
  if (slash == std::string::npos || name.empty() || name == "." || name == "..") return std::nullopt;
  if (!realpath(slash == 0 ? "/" : path.substr(0, slash).c_str(), real)) return std::nullopt;
  const std::string folder = real;
  return (folder == "/" ? "" : folder) + "/" + name;
}

bool isInside(const std::string& path, const std::string& folder) {
  return path == folder || (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

}  // namespace

std::optional<DevicePolicy> DevicePolicy::withFileFolder(const std::string& folder, std::string& error) {
  char real[PATH_MAX];
  struct stat info {};
  if (!folder.starts_with('/') || !realpath(folder.c_str(), real) || stat(real, &info) != 0 || !S_ISDIR(info.st_mode)) {
    error = "The " + std::string(kFileDeviceFolderOption) + " option needs the absolute path of an existing folder, not \"" +
            folder + "\".";
    return std::nullopt;
  }
  DevicePolicy policy;
  policy.fileFolder = real;
  return policy;
}

bool DevicePolicy::allows(const char* uri, std::string& reason) const {
  if (!uri || strncasecmp(uri, "file:", 5) != 0) return true;
  const std::string option = "-o " + std::string(kFileDeviceFolderOption) + "=FOLDER";
  if (fileFolder.empty()) {
    reason = "file: devices are off; a server started with " + option + " lets printers write into FOLDER";
    return false;
  }
  char scheme[32], user[256], host[256], resource[kPapplPathBytes + 1024];
  int port = 0;
  std::string path;
  if (httpSeparateURI(HTTP_URI_CODING_ALL, uri, scheme, sizeof scheme, user, sizeof user, host, sizeof host, &port,
                      resource, sizeof resource) >= HTTP_URI_STATUS_OK)
    path = std::string(resource).substr(0, std::string_view(resource).find('?'));
  const std::optional<std::string> real =
      path.starts_with('/') && path.size() < kPapplPathBytes ? resolved(path) : std::nullopt;
  if (!real || !isInside(*real, fileFolder)) {
    reason = std::string(uri) + " is not inside " + fileFolder + ", the folder that " + option + " allows";
    return false;
  }
  return true;
}
