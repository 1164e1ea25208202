// The reader of localisation strings files: lines of the form
//   "key" = "value";
// of which it looks at nothing but the double quotes.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct stringsPair {
  std::string key;
  std::string value;
};

// Returns the key/value pairs of text in file order, repeats included.
// Leading white space of a key or value is dropped, trailing white space
// kept; there are no escapes, so a backslash before a quote stays in the
// text and the quote ends it. Text outside quotes is skipped. An empty or
// blank key or value is an empty text; a pair cut off by the end of the
// text is left out.
std::vector<stringsPair> scanStringsText(std::string_view text);
