#include "kept_state.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace {

// A job line's state, as PAPPL writes a job that is printing and one that
// waits.
constexpr std::string_view kPrinting = " state=\"5\"";
constexpr std::string_view kWaiting = " state=\"3\"";

// Where a job line's own state value starts, outside the quoted values of
// its other fields (a job name may hold the same text); npos if none.
size_t printingStateIn(std::string_view line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '\\') {
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && line.substr(i, kPrinting.size()) == kPrinting) {
      return i;
    }
  }
  return std::string_view::npos;
}

}  // namespace

std::string requeueInterruptedJobs(std::string_view state) {
  std::string result;
  result.reserve(state.size());
  while (!state.empty()) {
    const size_t end = state.find('\n');
    const std::string_view line = state.substr(0, end == std::string_view::npos ? state.size() : end + 1);
    state.remove_prefix(line.size());
    const size_t at = line.starts_with("Job ") ? printingStateIn(line) : std::string_view::npos;
    if (at == std::string_view::npos) {
      result += line;
    } else {
      result += line.substr(0, at);
      result += kWaiting;
      result += line.substr(at + kPrinting.size());
    }
  }
  return result;
}

bool loadKeptState(pappl_system_t* system, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  const std::string state = text.str();
  const std::string requeued = requeueInterruptedJobs(state);
  if (requeued == state) return papplSystemLoadState(system, path.c_str());
  // PAPPL reads state only from a file: the corrected state goes to one
  // next to the state, readable by its owner alone, as the state is.
  const std::string copy = path + ".load";
  const int fd = open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return papplSystemLoadState(system, path.c_str());
  const bool written = write(fd, requeued.data(), requeued.size()) == static_cast<ssize_t>(requeued.size());
  const bool closed = close(fd) == 0;
  const bool loaded = papplSystemLoadState(system, (written && closed ? copy : path).c_str());
  unlink(copy.c_str());
  return loaded;
}
