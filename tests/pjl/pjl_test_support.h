// Helpers shared by the PJL builder's tests.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "pjl_commands.h"

using Lines = std::vector<std::string>;
using Options = std::vector<std::pair<std::string, std::string>>;

// A stdio stream in memory whose bytes the test can read back.
class CapturedStream {
 public:
  CapturedStream();
  ~CapturedStream();
  CapturedStream(const CapturedStream&) = delete;
  CapturedStream& operator=(const CapturedStream&) = delete;
  FILE* file() { return stream; }
  std::string text();

 private:
  char* buffer = nullptr;
  size_t size = 0;
  FILE* stream;
};

// An option string that cupsParseOptions splits back into options, each
// value quoted so that any byte but NUL survives.
std::string optionString(const Options& options);

// A builder over options whose errors go to errors.
pjlCommands makeBuilder(const Options& options, CapturedStream& errors,
                        const std::string& user = "alice");

// The lines of a builder, in order.
Lines linesOf(const pjlCommands& pjl);

// What setCommonPJLCommands does for options: the lines it appends, in
// order, and the bytes it writes to the error stream.
struct SettingRun {
  Lines lines;
  std::string errors;
};
SettingRun runSettings(const Options& options, const std::string& user = "alice");

// Just the lines of runSettings.
Lines settingLines(const Options& options, const std::string& user = "alice");

// The lines of setCommonPJLCommands for a job printed at once by user
// "alice": before, the USERNAME line, after, the closing line.
Lines aliceBlock(const Lines& before, const Lines& after = {});

inline const std::string kAliceLine = "@PJL SET USERNAME = \"alice\"\n";
inline const std::string kClosingLine = "@PJL SET QDUPLICATEHELDJOBS = SAVE\n";
