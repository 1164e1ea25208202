#include "resource_folder.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// path with its symbolic links and dot entries resolved as far as it
// exists, without a trailing separator.
fs::path resolved(const fs::path& path) {
  std::error_code error;
  fs::path result = fs::weakly_canonical(path, error);
  if (error) result = path.lexically_normal();
  if (!result.has_filename() && result.has_relative_path()) result = result.parent_path();
  return result;
}

// Whether path lies inside folder (both absolute and resolved), comparing
// whole names: /a/build-x is not inside /a/build.
bool isInside(const fs::path& path, const fs::path& folder) {
  auto [folderEnd, pathAt] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return folderEnd == folder.end() && pathAt != path.end();
}

}  // namespace

std::string resourceFolderForProgram(const fs::path& executable) {
  if (executable.is_absolute() &&
      isInside(resolved(executable), resolved(TICKETPRESS_BUILD_FOLDER)))
    return TICKETPRESS_SOURCE_RESOURCES;
  return TICKETPRESS_INSTALLED_RESOURCES;
}

std::string defaultResourceFolder() {
  const char* folder = std::getenv("TICKETPRESS_RESOURCES");
  if (folder && *folder) return folder;
  std::error_code error;
  fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (error) return TICKETPRESS_INSTALLED_RESOURCES;
  return resourceFolderForProgram(executable);
}

std::string localisedStringsPath(std::string_view folder, std::string_view localisation) {
  std::string path(folder);
  path += '/';
  path += localisation;
  path += ".lproj/Localizable.strings";
  return path;
}

std::string englishStringsPath(std::string_view folder) {
  return localisedStringsPath(folder, "English");
}
