#include "string_additions.h"

#include <algorithm>

namespace {

// ASCII-only case folding, so the result never depends on the locale.
char foldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Shared loop of both replace helpers: copies receiver, substituting each
// non-overlapping match found by `matches` at a position.
template <typename Matcher>
std::string replaceMatches(std::string_view receiver, std::string_view oldText,
                           std::string_view newText, Matcher matches) {
  if (oldText.empty()) return std::string(receiver);
  std::string result;
  result.reserve(receiver.size());
  size_t i = 0;
  while (i < receiver.size()) {
    if (receiver.size() - i >= oldText.size() && matches(receiver.substr(i, oldText.size()))) {
      result.append(newText);
      i += oldText.size();
    } else {
      result.push_back(receiver[i++]);
    }
  }
  return result;
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (foldCase(a[i]) != foldCase(b[i])) return false;
  return true;
}

std::string lowerCased(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = foldCase(c);
  return lower;
}

std::string replaceString(std::string_view receiver, std::string_view oldText,
                          std::string_view newText) {
  return replaceMatches(receiver, oldText, newText,
                        [&](std::string_view piece) { return piece == oldText; });
}

std::string replaceStringIgnoringCase(std::string_view receiver, std::string_view oldText,
                                      std::string_view newText) {
  return replaceMatches(receiver, oldText, newText, [&](std::string_view piece) {
    return equalsIgnoringCase(piece, oldText);
  });
}

int32_t intValue(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t magnitude = 0;
  const int64_t limit = negative ? -int64_t{INT32_MIN} : int64_t{INT32_MAX};
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    magnitude = std::min(limit, magnitude * 10 + (text[i] - '0'));
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}
