// Helpers for the cover sheet tests: bitmaps, boxes of ink, temporary
// folders and running programs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct greyImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // row 0 at the top

  uint8_t at(int x, int row) const { return pixels[static_cast<size_t>(row) * width + x]; }
};

// The smallest rectangle, in rows from the top, holding the marked pixels.
struct pixelBox {
  int left, top, right, bottom;  // inclusive
};

// The box of the pixels darker than mid grey inside the given rows and
// columns (inclusive), or none.
std::optional<pixelBox> inkBox(std::span<const uint8_t> pixels, int width, int top, int bottom,
                               int left, int right);

// The box of the pixels where a and b (same size) differ, or none.
std::optional<pixelBox> differenceBox(std::span<const uint8_t> a, std::span<const uint8_t> b,
                                      int width);

// Reads a PNG with cairo as grey values; none when it cannot.
std::optional<greyImage> readGreyPng(const std::string& path);

// Runs argv with the extra environment entries ("NAME=value") and its
// output in the given files, in workingFolder when one is given; the exit
// status, or -1 when it did not run.
int runProgram(const std::vector<std::string>& argv, const std::string& stdoutPath,
               const std::string& stderrPath, const std::vector<std::string>& extraEnvironment = {},
               const std::string& workingFolder = {});

std::string readFile(const std::filesystem::path& path);

// A fixture with a private folder, removed after the test.
class TempFolderTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Writes bytes to a file under the folder, making the parent folders.
  std::string write(const std::string& name, std::string_view bytes);

  std::filesystem::path folder;
};
