// The cover sheet's resource folder: one <Localisation>.lproj folder per
// language, each holding Localizable.strings.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// $TICKETPRESS_RESOURCES when set and not empty, else the folder for the
// running program (resourceFolderForProgram of /proc/self/exe).
std::string defaultResourceFolder();

// The resource folder of a program at executable: the source tree's
// data/coversheet when executable lies in the build folder this library was
// built in (an uninstalled program), else the folder the project installs
// (share/ticketpress/coversheet under the install prefix).
std::string resourceFolderForProgram(const std::filesystem::path& executable);

// The strings file of localisation in folder.
std::string localisedStringsPath(std::string_view folder, std::string_view localisation);

// The English strings file of folder, read when another one is missing.
std::string englishStringsPath(std::string_view folder);
