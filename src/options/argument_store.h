// The job's options: the CUPS option string split by libcups, values with the
// filter's own character escapes decoded. Built once per run, then only read.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class argumentStore {
 public:
  // Parses optionString (may be null or empty) with cupsParseOptions and
  // decodes the escapes of every value. Null only when libcups cannot be
  // loaded (cupsLibraryError in cups_library.h says why).
  static std::shared_ptr<argumentStore> initWithOptionString(const char* optionString);

  // Number of stored options.
  int count() const;

  // The stored value of name (exact, case-sensitive), or null when absent.
  // Never an empty-string stand-in for a missing option.
  const std::string* getValue(std::string_view name) const;

  // Stores value under name, replacing a value given before. Only for the
  // steps that complete the job's options before anything reads them.
  void setValue(const std::string& name, std::string value) { store(name, std::move(value)); }
  // The same, but only when the job does not give name already.
  void setValueIfAbsent(std::string_view name, std::string_view value) {
    if (!getValue(name)) store(std::string(name), std::string(value));
  }

  // Stored names, in the order in which they first appear in the option
  // string.
  const std::vector<std::string>& keyEnumerator() const { return names; }

 private:
  argumentStore() = default;
  void store(std::string name, std::string value);

  std::map<std::string, std::string, std::less<>> options;
  std::vector<std::string> names;
};

// Decodes the six escapes <27> <3D> <20> <2C> <3C> <3E> (hex digits in either
// case), one after another over the whole value, when the value is longer
// than three bytes. Any other <xx> stays as it is.
std::string decodeOptionEscapes(std::string value);
