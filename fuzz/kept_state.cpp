// The repair of the state text that PAPPL's loader reads at start-up.
// Whatever the text holds, every line of the repaired text (as libcups ends
// lines: LF, CR, CR LF) fits the loader's 2 KB buffer; every job line is
// one the loader takes, with values that libcups reads back without control
// characters and with names of at most 255 octets; repairing again changes
// nothing; the repair never grows the text, leaves it as it was when it
// notes nothing, and its notes are short plain lines. The same holds after
// formats are given to jobs that have none.
#include <cups/cups.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client_names.h"
#include "fuzz_check.h"
#include "state_repair.h"

namespace {

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool hasControl(std::string_view text) {
  for (const char c : text)
    if (isControl(static_cast<unsigned char>(c))) return true;
  return false;
}

// Whether line is a job line as the loader finds one: "job" in any case,
// then a space.
bool isJobLine(std::string_view line) {
  if (line.size() < 4 || line[3] != ' ') return false;
  for (size_t i = 0; i < 3; ++i)
    if ((line[i] | 0x20) != "job"[i]) return false;
  return true;
}

// A job line as the loader reads it with libcups: an id above 0, a name, a
// user and a format, each name bounded, no value with a control character.
void checkJobLine(const std::string& line) {
  cups_option_t* options = nullptr;
  const int count = cupsParseOptions(line.c_str() + 4, 0, &options);
  for (int i = 0; i < count; ++i) require(!hasControl(options[i].value));
  const char* id = cupsGetOption("id", count, options);
  require(id && std::strtol(id, nullptr, 10) > 0);
  for (const char* key : {"name", "username", "format"}) {
    const char* value = cupsGetOption(key, count, options);
    require(value && std::string_view(value).size() <= kMaxNameOctets);
  }
  cupsFreeOptions(count, options);
}

// Each line of text as cupsFileGets reads it.
void checkLines(std::string_view text) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    const std::string line(text.substr(start, end - start));
    require(line.size() <= kMaxStateLineOctets);
    if (isJobLine(line)) checkJobLine(line);
    start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view state(reinterpret_cast<const char*>(data), size);
  const RepairedState repaired = repairKeptState(state);
  require(repaired.text.size() <= state.size());
  if (repaired.notes.empty()) require(repaired.text == state);
  for (const std::string& note : repaired.notes)
    require(note.starts_with("line ") && note.size() < 200 && !hasControl(note));
  checkLines(repaired.text);

  const RepairedState again = repairKeptState(repaired.text);
  require(again.text == repaired.text);
  require(again.notes.empty());

  // Formats given to jobs waiting for their document first, as the
  // application loads and saves: the lines stay ones the loader reads, and
  // giving formats again changes nothing.
  const std::string formatted = addMissingJobFormats(state);
  require(addMissingJobFormats(formatted) == formatted);
  checkLines(repairKeptState(formatted).text);
  return 0;
}
