#include "child_filter.h"

#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "file_io.h"

extern char** environ;

std::vector<std::string> getArgs(int argc, char* argv[]) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(i == 4 ? "1" : argv[i]);
  return args;
}

std::vector<std::string> childFilterCandidates() {
  const char* chosen = std::getenv("TICKETPRESS_PDFTOPDF");
  if (chosen && *chosen) return {chosen};
  std::vector<std::string> candidates;
  const char* serverBin = std::getenv("CUPS_SERVERBIN");
  if (serverBin && *serverBin) candidates.push_back(std::string(serverBin) + "/filter/pdftopdf");
  candidates.push_back("/usr/lib/cups/filter/pdftopdf");
  candidates.push_back("/usr/libexec/cups/filter/pdftopdf");
  return candidates;
}

namespace {

// Spawns path with its standard output on outputFd. Returns the pid, or -1
// with the spawn error in error.
pid_t spawnWithOutput(const std::string& path, const std::vector<std::string>& args, int outputFd,
                      int& error) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);

  // The filter ignores SIGPIPE and SIGXFSZ to see write errors as errors;
  // the child gets the usual behaviour back.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGXFSZ);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

  pid_t pid = -1;
  error = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

}  // namespace

std::optional<ChildFilter> startChildFilter(const std::vector<std::string>& candidates,
                                            const std::vector<std::string>& args, int outputFd,
                                            std::string& error) {
  error = "Unable to start the PDF filter; tried";
  for (const std::string& path : candidates) {
    int spawnError = 0;
    pid_t pid = spawnWithOutput(path, args, outputFd, spawnError);
    if (pid > 0) {
      error.clear();
      return ChildFilter{pid, path};
    }
    error += " " + path + " (" + errorText(spawnError) + ")";
  }
  return std::nullopt;
}
