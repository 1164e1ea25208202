#include "run_program.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

std::atomic<int> captureCounter{0};

void redirect(const std::string& path, int flags, int targetFd) {
  int fd = open(path.c_str(), flags, 0600);
  if (fd < 0) _exit(126);
  dup2(fd, targetFd);
  close(fd);
}

}  // namespace

StartedProgram startProgram(const ProgramSpec& command, const std::string& captureFolder) {
  StartedProgram started;
  int n = captureCounter++;
  started.outPath = command.stdoutPath.empty()
                        ? captureFolder + "/stdout." + std::to_string(n)
                        : command.stdoutPath;
  started.errPath = captureFolder + "/stderr." + std::to_string(n);
  int closedPipe[2] = {-1, -1};
  if (command.stdoutIsClosedPipe) {
    if (pipe(closedPipe) != 0) throw std::runtime_error("pipe");
    close(closedPipe[0]);
  }
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    for (const auto& [name, value] : command.env) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
    redirect(command.stdinPath, O_RDONLY, 0);
    if (command.stdoutIsClosedPipe) {
      dup2(closedPipe[1], 1);
      close(closedPipe[1]);
    } else {
      redirect(started.outPath, O_WRONLY | O_CREAT | O_TRUNC, 1);
    }
    redirect(started.errPath, O_WRONLY | O_CREAT | O_TRUNC, 2);
    if (command.inChild) command.inChild();
    std::vector<char*> argv;
    for (const std::string& a : command.argv) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (command.stdoutIsClosedPipe) {
    close(closedPipe[1]);
    started.outPath.clear();
  }
  started.pid = pid;
  return started;
}

ProgramRun finishProgram(const StartedProgram& started) {
  ProgramRun run;
  int status = 0;
  while (waitpid(started.pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  // Only a regular file holds what was written; a device or a pipe does not.
  struct stat info;
  if (!started.outPath.empty() && stat(started.outPath.c_str(), &info) == 0 &&
      S_ISREG(info.st_mode))
    run.out = readFile(started.outPath);
  run.err = readFile(started.errPath);
  return run;
}

ProgramRun runProgram(const ProgramSpec& command, const std::string& captureFolder) {
  return finishProgram(startProgram(command, captureFolder));
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

ScratchFolder::ScratchFolder() {
  std::string pattern = std::filesystem::temp_directory_path().string() + "/tp-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
  folder = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

std::vector<std::string> ScratchFolder::list(const std::string& sub) const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(sub.empty() ? folder : folder + "/" + sub))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}
