// file: devices write as root: only into the folder the server allows,
// however the URI reaches outside it (.., a symbolic link, a path PAPPL
// would cut), and never without that folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "device_policy.h"

TEST(DevicePolicy, FileDevicesOnlyIntoTheAllowedFolder) {
  const std::filesystem::path base = std::filesystem::temp_directory_path() / ("tp-devices-" + std::to_string(getpid()));
  const std::filesystem::path allowed = base / "allowed";
  std::filesystem::create_directories(allowed / "sub");
  std::filesystem::create_directory_symlink("/etc", allowed / "etc");
  const std::string folder = allowed.string();
  std::string reason, error;

  const DevicePolicy none;
  EXPECT_TRUE(none.allows("socket://printer.example:9100", reason));
  EXPECT_TRUE(none.allows("usb://Quorlan/PDF%20Laser?serial=1", reason));
  EXPECT_FALSE(none.allows(("file://" + folder).c_str(), reason));
  EXPECT_NE(reason.find("-o file-device-folder=FOLDER"), std::string::npos) << reason;
  EXPECT_FALSE(none.allows("FILE:///tmp/x", reason));

  EXPECT_FALSE(DevicePolicy::withFileFolder("relative/folder", error));
  EXPECT_FALSE(DevicePolicy::withFileFolder((base / "missing").string(), error));
  EXPECT_NE(error.find("file-device-folder"), std::string::npos) << error;
  const std::optional<DevicePolicy> policy = DevicePolicy::withFileFolder(folder + "/", error);
  ASSERT_TRUE(policy) << error;

  for (const std::string& inside :
       std::vector<std::string>{folder, folder + "/", folder + "/job.prn", folder + "/sub/job.prn?ext=pdf"})
    EXPECT_TRUE(policy->allows(("file://" + inside).c_str(), reason)) << inside << ": " << reason;
  for (const std::string& outside : std::vector<std::string>{
           base.string(), folder + "/../x", folder + "/sub/../../x", folder + "/etc/passwd", folder + "/etc/new",
        folder + "-sibling/x", folder + "/missing/x", "/etc/passwd", "relative",
           folder + "/" + std::string(300, 'a')}) {
    EXPECT_FALSE(policy->allows(("file://" + outside).c_str(), reason)) << outside;
    EXPECT_NE(reason.find(folder), std::string::npos) << reason;
  }
  std::filesystem::remove_all(base);
}
