// The state file made one that PAPPL's loader reads as it was meant. PAPPL
// writes a job's values between quotes, escaping only quotes and
// backslashes, and reads the file a line at a time into 2 KB: a client's
// line end in a job name would make the rest of the name a directive of its
// own (a printer, say), and a long name would be cut into one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The longest line the loader reads whole: it reads into 2048 bytes.
inline constexpr size_t kMaxStateLineOctets = 2047;

// A state text as the loader should read it, and what was changed on the
// way: one plain note per change, naming the line of the original text
// (and the job), never the values themselves.
struct RepairedState {
  std::string text;
  std::vector<std::string> notes;
};

// state with each job line read whole again (a quoted value runs on over
// line ends until its quote closes), every value of a job made one bounded
// line and the job written back as PAPPL writes it. Dropped: a job line
// the loader would refuse (and with it the printer's later jobs), one whose
// quote never closes, and any line longer than the loader reads. All else
// stays byte for byte.
RepairedState repairKeptState(std::string_view state);

// state with a format given to each job line that names none. PAPPL writes
// none for a job still waiting for its document (made by Create-Job), and
// its loader stops reading a printer's jobs at such a line; with one, the
// job comes back aborted for want of its document instead of being lost.
// Nothing else changes.
std::string addMissingJobFormats(std::string_view state);
