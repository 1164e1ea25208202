#include "kept_state.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "state_files.h"
#include "state_repair.h"

namespace {

// A job line's state, as PAPPL writes a job that is printing and one that
// waits.
constexpr std::string_view kPrinting = " state=\"5\"";
constexpr std::string_view kWaiting = " state=\"3\"";

// Where text starts in a line of quoted values, outside them (a job name
// may hold the same text); npos if nowhere.
size_t findOutsideQuotes(std::string_view line, std::string_view text) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '\\') {
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && line.substr(i, text.size()) == text) {
      return i;
    }
  }
  return std::string_view::npos;
}

// The ids of the printers that the state's printer lines name.
std::vector<int> printerIdsIn(std::string_view state) {
  constexpr std::string_view kPrinter = "<Printer ", kId = " id=\"";
  std::vector<int> ids;
  while (!state.empty()) {
    const size_t end = state.find('\n');
    const std::string_view line = state.substr(0, end);
    state.remove_prefix(end == std::string_view::npos ? state.size() : end + 1);
    const size_t at = line.starts_with(kPrinter) ? findOutsideQuotes(line, kId) : std::string_view::npos;
    if (at != std::string_view::npos) ids.push_back(std::atoi(line.data() + at + kId.size()));
  }
  return ids;
}

// Whether a printer the state names was not made (its driver or device
// refused, or its id taken): PAPPL drops it and its jobs.
bool printerDropped(pappl_system_t* system, std::string_view state) {
  for (const int id : printerIdsIn(state))
    if (!papplSystemFindPrinter(system, nullptr, id, nullptr)) return true;
  return false;
}

// Logs each note of a repair as a warning, with the file it was made on.
void logRepairs(pappl_system_t* system, const std::string& path, const std::vector<std::string>& notes) {
  for (const std::string& note : notes)
    papplLog(system, PAPPL_LOGLEVEL_WARN, "%s", ("State file " + path + ", " + note).c_str());
}

// Keeps the state text as it was next to path, and logs where; false when
// it could not.
bool keepOriginal(pappl_system_t* system, const std::string& path, std::string_view state) {
  std::string kept;
  if (const int failure = keepAside(path, state, std::time(nullptr), kept)) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Unable to keep the state file %s aside as it was: %s", path.c_str(),
             std::strerror(failure));
    return false;
  }
  papplLog(system, PAPPL_LOGLEVEL_WARN, "State file %s as it was is kept in %s", path.c_str(), kept.c_str());
  return true;
}

// Loads text, a corrected state, into system. PAPPL reads state only
// from a file: the text goes to one next to the state, readable by its
// owner alone. Should that fail, the state file itself is loaded only when
// asIsWillDo (it only needed its jobs queued again).
bool loadText(pappl_system_t* system, const std::string& path, const std::string& text, bool asIsWillDo) {
  const std::string copy = path + ".load";
  unlink(copy.c_str());
  if (const int failure = writeNewFile(copy, text)) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Unable to write %s: %s", copy.c_str(), std::strerror(failure));
    return asIsWillDo && papplSystemLoadState(system, path.c_str());
  }
  const bool loaded = papplSystemLoadState(system, copy.c_str());
  unlink(copy.c_str());
  return loaded;
}

}  // namespace

std::string requeueInterruptedJobs(std::string_view state) {
  std::string result;
  result.reserve(state.size());
  while (!state.empty()) {
    const size_t end = state.find('\n');
    const std::string_view line = state.substr(0, end == std::string_view::npos ? state.size() : end + 1);
    state.remove_prefix(line.size());
    const size_t at = line.starts_with("Job ") ? findOutsideQuotes(line, kPrinting) : std::string_view::npos;
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
  std::string state;
  if (const int failure = readWholeFile(path, state)) {
    if (failure != ENOENT)
      papplLog(system, PAPPL_LOGLEVEL_ERROR, "Unable to read the state file %s: %s", path.c_str(),
               std::strerror(failure));
    return false;
  }
  const RepairedState repaired = repairKeptState(addMissingJobFormats(state));
  bool repairsKept = false;
  if (!repaired.notes.empty()) {
    logRepairs(system, path, repaired.notes);
    repairsKept = keepOriginal(system, path, state);
  }
  const std::string text = requeueInterruptedJobs(repaired.text);
  const bool loaded = text == state ? papplSystemLoadState(system, path.c_str())
                                    : loadText(system, path, text, repaired.notes.empty());
  if (!loaded) return false;
  // PAPPL's next save would lose a printer it dropped, and its jobs.
  if (!repairsKept && printerDropped(system, text)) {
    papplLog(system, PAPPL_LOGLEVEL_WARN, "State file %s: a printer it holds was not loaded (the log says why)",
             path.c_str());
    keepOriginal(system, path, state);
  }
  // PAPPL saves only after a change: without this the repairs, and a copy
  // kept aside, would come again at each start.
  if (repairsKept) {
    if (const int failure = replaceFileText(path, repaired.text))
      papplLog(system, PAPPL_LOGLEVEL_ERROR, "Unable to put the repaired state in place of %s: %s", path.c_str(),
               std::strerror(failure));
  }
  return true;
}

bool saveKeptState(pappl_system_t* system, const std::string& path) {
  // PAPPL saves by rewriting the file it is given in place: it gets one
  // of its own, whose text then takes the old state's place whole.
  const std::string fresh = path + ".new";
  auto fail = [&](const char* step, int failure) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Unable to save the state to %s (%s): %s", path.c_str(), step,
             std::strerror(failure));
    unlink(fresh.c_str());
    return false;
  };
  if (unlink(fresh.c_str()) != 0 && errno != ENOENT) return fail("removing the stale new file", errno);
  if (!papplSystemSaveState(system, fresh.c_str())) {
    unlink(fresh.c_str());
    return false;  // PAPPL has logged why
  }
  std::string saved;
  if (const int failure = readWholeFile(fresh, saved)) return fail("reading what PAPPL saved", failure);
  // The state on disk is always one the loader reads whole.
  const RepairedState repaired = repairKeptState(addMissingJobFormats(saved));
  logRepairs(system, fresh, repaired.notes);
  if (const int failure = replaceFileText(path, repaired.text)) return fail("putting it in place", failure);
  return true;
}
