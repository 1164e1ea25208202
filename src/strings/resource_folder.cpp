#include "resource_folder.h"

#include <cstdlib>

std::string defaultResourceFolder() {
  const char* folder = std::getenv("TICKETPRESS_RESOURCES");
  if (folder && *folder) return folder;
  return TICKETPRESS_INSTALLED_RESOURCES;
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
