#include "pdf_bytes.h"

#include <algorithm>

namespace {
// A search gives up after this many candidate positions.
constexpr size_t kSearchLimit = 100000000;
// Numbers beyond this are not PDF offsets or object numbers of any kind.
constexpr int64_t kNumberLimit = INT64_C(999999999999999);
}  // namespace

// White space of the C library (space, tab, LF, VT, FF, CR).
bool isCSpace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Byte search that passes over NUL bytes, bounded by buf and the limit.
size_t findstr(std::string_view buf, size_t from, std::string_view pattern) {
  if (pattern.empty() || from > buf.size()) return kNotFound;
  size_t lastStart = buf.size() - from < pattern.size() ? from : buf.size() - pattern.size() + 1;
  if (lastStart - from > kSearchLimit) lastStart = from + kSearchLimit;
  for (size_t p = from; p < lastStart; ++p) {
    if (buf[p] == pattern[0] && buf.compare(p, pattern.size(), pattern) == 0)
      return p + pattern.size();
  }
  return kNotFound;
}

// Length of an object through its first "endobj".
size_t objectLength(std::string_view buf, size_t objectP) {
  size_t end = findstr(buf, objectP, "endobj");
  return end == kNotFound ? kNotFound : end - objectP;
}

// Backward search for the last "startxref" and the number after it.
int64_t GetStartXref(std::string_view buf) {
  constexpr std::string_view pattern = "startxref";
  if (buf.size() <= pattern.size()) return -1;
  for (size_t p = buf.size() - pattern.size(); p >= 1; --p) {
    if (buf.compare(p, pattern.size(), pattern) != 0) continue;
    size_t pos = p + pattern.size();
    std::optional<int64_t> value = readDecimal(buf, pos);
    return value ? *value : 0;
  }
  return -1;
}

// Start of the next line, treating CR LF as one line end.
size_t findNextLine(std::string_view buf, size_t bufP) {
  for (size_t p = bufP; p < buf.size(); ++p) {
    char c = buf[p];
    if (c == '\0') return kNotFound;
    if (c == '\n') return p + 1;
    if (c == '\r') return (p + 1 < buf.size() && buf[p + 1] == '\n') ? p + 2 : p + 1;
  }
  return kNotFound;
}

// strstr over a bounded buffer.
size_t findText(std::string_view buf, size_t from, std::string_view pattern) {
  if (from > buf.size()) return kNotFound;
  size_t stop = buf.find('\0', from);
  if (stop == kNotFound) stop = buf.size();
  size_t match = buf.substr(0, stop).find(pattern, from);
  return match;
}

// scanf-like "%d" with an optional field width, bounded by buf.
std::optional<int64_t> readDecimal(std::string_view buf, size_t& pos, size_t maxChars) {
  size_t p = skipCSpace(buf, pos);
  size_t limit = maxChars == 0 ? buf.size() : std::min(buf.size(), p + maxChars);
  bool negative = false;
  if (p < limit && (buf[p] == '-' || buf[p] == '+')) {
    negative = buf[p] == '-';
    ++p;
  }
  size_t digitsStart = p;
  int64_t value = 0;
  while (p < limit && buf[p] >= '0' && buf[p] <= '9') {
    value = value * 10 + (buf[p] - '0');
    if (value > kNumberLimit) return std::nullopt;
    ++p;
  }
  if (p == digitsStart) return std::nullopt;
  pos = p;
  return negative ? -value : value;
}

// Skips C white space.
size_t skipCSpace(std::string_view buf, size_t pos) {
  while (pos < buf.size() && isCSpace(static_cast<unsigned char>(buf[pos]))) ++pos;
  return pos;
}
