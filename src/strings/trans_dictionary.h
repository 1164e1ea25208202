// A localisation strings file as a map from key text (the English label) to
// its translation, read once and then only looked up.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "resource_folder.h"

class transDictionary {
 public:
  // Reads the strings file at language. When no file exists there, writes
  // "ERROR: Unable to open file <language> English is being used." to
  // standard error and reads englishFallback instead. A file that cannot be
  // read, or holds NUL bytes (binary data, UTF-16), gives an empty
  // dictionary. Never yields null on Linux.
  static std::shared_ptr<transDictionary> initWithFilePath(
      const std::string& language,
      const std::string& englishFallback = englishStringsPath(defaultResourceFolder()));

  // Builds the dictionary from the text of a strings file; a later pair
  // with the same key replaces the earlier value.
  static std::shared_ptr<transDictionary> initWithText(std::string_view text);

  // Number of pairs held.
  int count() const;

  // The UTF-8 value of keyRequest, or null when the key is not held.
  const std::string* getValue(std::string_view keyRequest) const;

  // The keys, in the map's own (sorted) order.
  std::vector<std::string> keyEnumerator() const;

 private:
  transDictionary() = default;

  std::map<std::string, std::string, std::less<>> transDict;
};
