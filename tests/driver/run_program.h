// Runs a program the way CUPS runs a filter, for end-to-end tests: chosen
// arguments and environment, standard input from a file, standard output
// and error captured.
#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct ProgramSpec {
  std::vector<std::string> argv;  // argv[0] is the program's path
  // Variables to set (a value) or remove (nullopt) in the inherited environment.
  std::map<std::string, std::optional<std::string>> env;
  std::string stdinPath = "/dev/null";
  // Where standard output goes; empty: a file that the run reads back.
  std::string stdoutPath;
  bool stdoutIsClosedPipe = false;  // a pipe whose reader has gone
  std::function<void()> inChild;    // runs in the child just before exec
};

struct ProgramRun {
  int exitStatus = -1;  // -1 when killed by a signal
  int signal = 0;
  std::string out, err;
};

// A program started but not yet waited for.
struct StartedProgram {
  pid_t pid = -1;
  std::string outPath, errPath;
};

StartedProgram startProgram(const ProgramSpec& command, const std::string& captureFolder);
ProgramRun finishProgram(const StartedProgram& started);
ProgramRun runProgram(const ProgramSpec& command, const std::string& captureFolder);

// Whole-file helpers.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// A fresh folder under the system temp folder, removed with its content.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::string& path() const { return folder; }
  std::string operator/(const std::string& name) const { return folder + "/" + name; }
  // Names in a sub-folder (or the folder itself for ""), sorted.
  std::vector<std::string> list(const std::string& sub = "") const;

 private:
  std::string folder;
};
