#include "sheet_test_support.h"

#include <cairo.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

extern char** environ;

namespace {

// Widens box to hold (x, row).
void include(std::optional<pixelBox>& box, int x, int row) {
  if (!box) {
    box = pixelBox{x, row, x, row};
    return;
  }
  box->left = std::min(box->left, x);
  box->right = std::max(box->right, x);
  box->top = std::min(box->top, row);
  box->bottom = std::max(box->bottom, row);
}

}  // namespace

std::optional<pixelBox> inkBox(std::span<const uint8_t> pixels, int width, int top, int bottom,
                               int left, int right) {
  std::optional<pixelBox> box;
  for (int row = top; row <= bottom; ++row)
    for (int x = left; x <= right; ++x)
      if (pixels[static_cast<size_t>(row) * width + x] < 0x80) include(box, x, row);
  return box;
}

std::optional<pixelBox> differenceBox(std::span<const uint8_t> a, std::span<const uint8_t> b,
                                      int width) {
  std::optional<pixelBox> box;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i] != b[i]) include(box, static_cast<int>(i % width), static_cast<int>(i / width));
  return box;
}

std::optional<greyImage> readGreyPng(const std::string& path) {
  cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return std::nullopt;
  }
  greyImage image;
  image.width = cairo_image_surface_get_width(surface);
  image.height = cairo_image_surface_get_height(surface);
  cairo_format_t format = cairo_image_surface_get_format(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int row = 0; row < image.height; ++row) {
    for (int x = 0; x < image.width; ++x) {
      const unsigned char* line = data + static_cast<size_t>(row) * stride;
      uint8_t grey = format == CAIRO_FORMAT_A8
                         ? line[x]
                         : static_cast<uint8_t>(reinterpret_cast<const uint32_t*>(line)[x] >> 8);
      image.pixels.push_back(grey);
    }
  }
  cairo_surface_destroy(surface);
  return image;
}

int runProgram(const std::vector<std::string>& argv, const std::string& stdoutPath,
               const std::string& stderrPath, const std::vector<std::string>& extraEnvironment,
               const std::string& workingFolder) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (char** e = environ; *e; ++e) env.push_back(*e);
  for (const std::string& entry : extraEnvironment) env.push_back(const_cast<char*>(entry.c_str()));
  env.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
  pid_t pid;
  int failed = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void TempFolderTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "coversheet-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  folder = pattern;
}

void TempFolderTest::TearDown() { std::filesystem::remove_all(folder); }

std::string TempFolderTest::write(const std::string& name, std::string_view bytes) {
  std::filesystem::path path = folder / name;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}
