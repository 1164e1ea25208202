#include "state_repair.h"

#include <charconv>
#include <optional>
#include <utility>

#include "client_names.h"
#include "string_additions.h"

namespace {

// One record of the state: a line, or a job line together with the lines
// that its quoted values run on over.
struct Record {
  std::string_view content;  // without its last line end
  std::string_view lineEnd;  // LF, CR or CR LF; empty at the end of the text
  size_t line = 0;           // the line it starts on, counted from 1
  bool quoteOpen = false;    // the text ended inside a quoted value
};

// One key="value" of a job line, the value with its escapes decoded.
// The format given to a job that names none.
constexpr const char* kNoDocumentFormat = "application/octet-stream";

struct Field {
  std::string key;
  std::string value;
};

// The octets of the line end at text[at], as libcups's cupsFileGets ends a
// line: LF, CR, or CR LF as one. 0 when none is there.
size_t lineEndAt(std::string_view text, size_t at) {
  if (text[at] == '\n') return 1;
  if (text[at] != '\r') return 0;
  return at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

// Whether text starts a job line: the loader takes the word before the
// first space, in any case.
bool isJobLine(std::string_view text) {
  return text.size() >= 4 && equalsIgnoringCase(text.substr(0, 4), "job ");
}

// The record that starts at text[at]; moves at and line past it. Only a job
// line runs on over line ends: PAPPL writes the other lines' values as they
// are, so a quote there (a location of 5" shelf) means nothing.
Record nextRecord(std::string_view text, size_t& at, size_t& line) {
  Record record;
  record.line = line;
  const size_t start = at;
  const bool job = isJobLine(text.substr(start));
  bool quoted = false;
  size_t i = start;
  while (i < text.size()) {
    if (const size_t end = lineEndAt(text, i)) {
      ++line;
      if (!quoted) {
        record.content = text.substr(start, i - start);
        record.lineEnd = text.substr(i, end);
        at = i + end;
        return record;
      }
      i += end;
      continue;
    }
    if (job && text[i] == '"')
      quoted = !quoted;
    else if (quoted && text[i] == '\\' && i + 1 < text.size() && !lineEndAt(text, i + 1))
      ++i;  // an escaped octet never closes the quote
    ++i;
  }
  record.content = text.substr(start);
  record.quoteOpen = quoted;
  at = text.size();
  return record;
}

// Whether c may be in a key: PAPPL's job keys are plain words.
bool isKeyOctet(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// The fields of a job line in the form PAPPL writes (Job key="value" ...,
// one space apart, each key once); false with bad at the first octet out of
// that form.
bool parseJobLine(std::string_view line, std::vector<Field>& fields, size_t& bad) {
  size_t i = 4;  // after "Job "
  auto outOfForm = [&](size_t at) {
    bad = at;
    return false;
  };
  for (;;) {
    const size_t keyStart = i;
    while (i < line.size() && isKeyOctet(line[i])) ++i;
    if (i == keyStart || i >= line.size() || line[i] != '=') return outOfForm(i);
    Field field{std::string(line.substr(keyStart, i - keyStart)), {}};
    for (const Field& earlier : fields)
      if (equalsIgnoringCase(earlier.key, field.key)) return outOfForm(keyStart);
    if (++i >= line.size() || line[i] != '"') return outOfForm(i);
    for (++i; i < line.size() && line[i] != '"'; ++i) {
      if (line[i] == '\\' && ++i >= line.size()) break;
      field.value += line[i];
    }
    if (i >= line.size()) return outOfForm(i);
    fields.push_back(std::move(field));
    if (++i == line.size()) return true;
    if (line[i] != ' ') return outOfForm(i);
    ++i;
  }
}

// The field named key, in any case as the loader finds it; null if none.
const Field* fieldNamed(const std::vector<Field>& fields, std::string_view key) {
  for (const Field& field : fields)
    if (equalsIgnoringCase(field.key, key)) return &field;
  return nullptr;
}

// The job id as the loader needs it, a number above 0; none otherwise.
std::optional<int> jobIdOf(const std::vector<Field>& fields) {
  const Field* id = fieldNamed(fields, "id");
  if (!id) return std::nullopt;
  int value = 0;
  const char* end = id->value.data() + id->value.size();
  const auto [stop, error] = std::from_chars(id->value.data(), end, value);
  if (error != std::errc() || stop != end || value <= 0) return std::nullopt;
  return value;
}

// The job line that PAPPL writes for fields: quotes and backslashes
// escaped with a backslash, nothing else.
std::string jobLine(const std::vector<Field>& fields) {
  std::string line = "Job";
  for (const Field& field : fields) {
    line += ' ';
    line += field.key;
    line += "=\"";
    for (const char c : field.value) {
      if (c == '\\' || c == '"') line += '\\';
      line += c;
    }
    line += '"';
  }
  return line;
}

// n with a comma between thousands, whatever the locale: 3,104.
std::string countText(size_t n) {
  char digits[24];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, n);
  std::string text;
  for (char* d = digits; d < end; ++d) {
    if (d > digits && (end - d) % 3 == 0) text += ',';
    text += *d;
  }
  return text;
}

// The most octets of a value: a name's, but the spool file's name is a
// path that PAPPL makes and keeps in 1 KB.
size_t boundOf(const Field& field) {
  return equalsIgnoringCase(field.key, "filename") ? kMaxTextOctets : kMaxNameOctets;
}

// Notes what making one bounded line of before did; what names the value
// ("job 3's name"). True when anything was noted.
bool noteCleaning(const std::string& what, std::string_view before, std::string_view after,
                  std::vector<std::string>& notes) {
  bool lineEnds = false;
  bool others = false;
  size_t kept = 0;
  for (const char c : before) {
    if (c == '\n' || c == '\r')
      lineEnds = true;
    else if (isControlOctet(static_cast<unsigned char>(c)))
      others = true;
    else
      ++kept;
  }
  const size_t notesBefore = notes.size();
  if (lineEnds || others)
    notes.push_back(what + " held " +
                    (lineEnds ? (others ? "line ends and other control characters" : "line ends")
                              : "control characters") +
                    "; they were removed");
  if (after.size() < kept) notes.push_back(what + " cut to " + countText(after.size()) + " octets");
  return notes.size() > notesBefore;
}

// A key as a note names it: short, since a file may hold any.
std::string keyText(const std::string& key) { return key.size() <= 32 ? key : key.substr(0, 32) + "..."; }

// Adds the job record to repaired, its values made one bounded line, or
// drops it with a note when the loader could not take it.
void repairJob(const Record& record, RepairedState& repaired) {
  const std::string where = "line " + std::to_string(record.line) + ": ";
  auto note = [&](const std::string& text) { repaired.notes.push_back(where + text); };
  if (record.quoteOpen) {
    note("dropped a job line whose quoted value never closes before the end of the file");
    return;
  }
  std::vector<Field> fields;
  size_t bad = 0;
  if (!parseJobLine(record.content, fields, bad)) {
    note("dropped a job line that is not in the form PAPPL writes (octet " + countText(bad + 1) + ")");
    return;
  }
  std::vector<Field> cleaned = fields;
  for (Field& field : cleaned) field.value = oneLine(field.value, boundOf(field));
  const std::optional<int> id = jobIdOf(cleaned);
  if (!id) {
    note("dropped a job line without a job id above 0");
    return;
  }
  const std::string job = "job " + std::to_string(*id);
  std::string missing;
  for (const char* key : {"name", "username", "format"})
    if (!fieldNamed(cleaned, key)) missing += (missing.empty() ? "" : " and no ") + std::string(key);
  if (!missing.empty()) {
    note("dropped " + job + "'s line, which has no " + missing +
         "; the loader would stop reading the printer's jobs there");
    return;
  }
  const std::string line = jobLine(cleaned);
  if (line.size() > kMaxStateLineOctets) {
    note("dropped " + job + "'s line: " + countText(line.size()) +
         " octets once repaired, more than the loader reads whole");
    return;
  }
  bool noted = false;
  for (size_t i = 0; i < fields.size(); ++i)
    noted |= noteCleaning(where + job + "'s " + keyText(fields[i].key), fields[i].value, cleaned[i].value,
                          repaired.notes);
  if (line != record.content && !noted) note(job + "'s line rewritten in the form PAPPL writes");
  repaired.text += line;
  repaired.text += record.lineEnd;
}

}  // namespace

std::string addMissingJobFormats(std::string_view state) {
  std::string text;
  text.reserve(state.size());
  size_t at = 0, line = 1;
  while (at < state.size()) {
    const Record record = nextRecord(state, at, line);
    std::vector<Field> fields;
    size_t bad = 0;
    if (isJobLine(record.content) && !record.quoteOpen && parseJobLine(record.content, fields, bad) &&
        !fieldNamed(fields, "format")) {
      fields.insert(fields.begin(), Field{"format", kNoDocumentFormat});
      text += jobLine(fields);
    } else {
      text += record.content;
    }
    text += record.lineEnd;
  }
  return text;
}

RepairedState repairKeptState(std::string_view state) {
  RepairedState repaired;
  repaired.text.reserve(state.size());
  size_t at = 0;
  size_t line = 1;
  while (at < state.size()) {
    const Record record = nextRecord(state, at, line);
    if (isJobLine(record.content)) {
      repairJob(record, repaired);
    } else if (record.content.size() > kMaxStateLineOctets) {
      repaired.notes.push_back("line " + std::to_string(record.line) + ": dropped a line of " +
                               countText(record.content.size()) + " octets that the loader cannot read");
    } else {
      repaired.text += record.content;
      repaired.text += record.lineEnd;
    }
  }
  return repaired;
}
