#include "cleanup_on_signal.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

namespace {

constexpr int kMaxPaths = 8;

// Written by the run, read by the handler: an entry's path is complete
// before its state says it is in use.
struct CleanupEntry {
  char path[PATH_MAX];
  volatile sig_atomic_t state;  // 0 free, 1 file, 2 folder
};

CleanupEntry entries[kMaxPaths];
volatile sig_atomic_t childPid = 0;
// Only a process that takes its signals here (the filter, one job) keeps a
// registry; a server of many jobs at once has none.
bool handlersInstalled = false;
volatile sig_atomic_t printerJobOpen = 0;

// What ends a printer job cut short: leave the PDF interpreter, end the
// PJL job, and hand the printer back.
constexpr char kPrinterJobEnd[] = "\x1B%-12345X@PJL EOJ\n\x1B%-12345X";

void removeEntries(int state) {
  for (int i = kMaxPaths - 1; i >= 0; --i) {
    if (entries[i].state != state) continue;
    if (state == 1)
      unlink(entries[i].path);
    else
      rmdir(entries[i].path);
  }
}

// Async-signal-safe: only kill, write, unlink, rmdir, signal and raise.
void onTerminatingSignal(int sig) {
  if (childPid > 0) kill(static_cast<pid_t>(childPid), SIGTERM);
  if (printerJobOpen) {
    ssize_t ignored = write(STDOUT_FILENO, kPrinterJobEnd, sizeof kPrinterJobEnd - 1);
    (void)ignored;
  }
  removeEntries(1);
  removeEntries(2);
  signal(sig, SIG_DFL);
  raise(sig);
}

}  // namespace

void installCleanupHandlers() {
  struct sigaction action = {};
  action.sa_handler = onTerminatingSignal;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&action.sa_mask, sig);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
  handlersInstalled = true;
}

bool cleanupAddPath(const std::string& path, bool isDirectory) {
  if (!handlersInstalled || path.size() >= PATH_MAX) return false;
  for (CleanupEntry& e : entries) {
    if (e.state != 0) continue;
    std::memcpy(e.path, path.c_str(), path.size() + 1);
    e.state = isDirectory ? 2 : 1;
    return true;
  }
  return false;
}

void cleanupForgetPath(const std::string& path) {
  for (CleanupEntry& e : entries)
    if (e.state != 0 && path == e.path) e.state = 0;
}

void cleanupSetChild(pid_t pid) { childPid = pid; }

void cleanupSetPrinterJobOpen(bool open) { printerJobOpen = open ? 1 : 0; }
