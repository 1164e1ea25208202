// Which device URIs a printer may have. A file: device makes the server,
// which runs as root, write each job into the file or folder its URI
// names. As CUPS allows them only with "FileDevice Yes", the application
// allows them only into the one folder its file-device-folder option
// names, and refuses them without it.
#pragma once

#include <optional>
#include <string>

// The server option that allows file: devices into a folder.
inline constexpr const char* kFileDeviceFolderOption = "file-device-folder";

class DevicePolicy {
 public:
  // Refuses every file: device.
  DevicePolicy() = default;

  // Allows file: devices into folder, an absolute path of an existing
  // folder; nullopt, with error, for any other path.
  static std::optional<DevicePolicy> withFileFolder(const std::string& folder, std::string& error);

  // Whether a printer may have the device uri; reason says why not.
  bool allows(const char* uri, std::string& reason) const;

 private:
  // The folder without symbolic links; empty when file devices are off.
  std::string fileFolder;
};
