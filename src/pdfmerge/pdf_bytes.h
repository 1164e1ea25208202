// Small byte routines over the mapped input. Every routine takes the buffer
// as a whole and a position in it, so no search or number read can leave it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

constexpr size_t kNotFound = std::string_view::npos;

// PDF white space: NUL, tab, LF, FF, CR and space. Inline, as the
// cross-reference reader asks it for every object.
constexpr bool isPdfSpace(unsigned char c) {
  return c == 0 || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}
// White space of the C library (space, tab, LF, VT, FF, CR).
bool isCSpace(unsigned char c);
// PDF delimiters: ( ) < > [ ] { } / %.
constexpr bool isPdfDelimiter(unsigned char c) {
  switch (c) {
    case '(': case ')': case '<': case '>': case '[': case ']': case '{': case '}': case '/': case '%':
      return true;
    default:
      return false;
  }
}

// Searches buf from position from for pattern; NUL bytes do not end the
// search. Gives the position just past the first match, or kNotFound when no
// match starts within 100,000,000 positions or before the end of buf.
size_t findstr(std::string_view buf, size_t from, std::string_view pattern);

// Bytes from the object at position objectP through the end of its first
// "endobj", or kNotFound when there is none.
size_t objectLength(std::string_view buf, size_t objectP);

// The offset written after the last "startxref" in buf (0 when no number
// follows it), or -1 when the keyword is absent. The first byte of buf is
// never taken as the keyword's start.
int64_t GetStartXref(std::string_view buf);

// The start of the line after the first CR, LF or CR LF at or after bufP, or
// kNotFound when a NUL byte or the end of buf comes first.
size_t findNextLine(std::string_view buf, size_t bufP);

// Searches like strstr: from position from up to the first NUL byte or the
// end of buf. Gives the match's first position, or kNotFound.
size_t findText(std::string_view buf, size_t from, std::string_view pattern);

// Reads a decimal integer the way scanf's "%d" does: C white space is
// skipped, then an optional sign and digits, at most maxChars characters
// (0: no limit). On success pos moves past the number.
std::optional<int64_t> readDecimal(std::string_view buf, size_t& pos, size_t maxChars = 0);

// Skips C white space from pos; gives the first other position.
size_t skipCSpace(std::string_view buf, size_t pos);
