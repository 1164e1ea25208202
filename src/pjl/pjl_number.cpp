#include "pjl_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// Exponents beyond this are out of any float's range anyway.
constexpr long kExponentLimit = 100000;

// White space as the C locale's isspace sees it.
bool isSpaceByte(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigitByte(char c) { return c >= '0' && c <= '9'; }

// Reads an exponent "e" or "E", optional sign, digits, at text[at]; moves at
// past it and returns its value (capped), or 0 leaving at when there is none.
long readExponent(std::string_view text, size_t& at) {
  size_t end = at;
  if (end >= text.size() || (text[end] != 'e' && text[end] != 'E')) return 0;
  ++end;
  bool negative = false;
  if (end < text.size() && (text[end] == '+' || text[end] == '-')) negative = text[end++] == '-';
  if (end >= text.size() || !isDigitByte(text[end])) return 0;
  long exponent = 0;
  for (; end < text.size() && isDigitByte(text[end]); ++end)
    exponent = std::min(exponent * 10 + (text[end] - '0'), kExponentLimit);
  at = end;
  return negative ? -exponent : exponent;
}

}  // namespace

float readLeadingNumber(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && isSpaceByte(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';

  // scale: the power of ten of the first non-zero digit, which tells an
  // overflow from an underflow when the float cannot hold the number.
  const size_t start = at;
  size_t digits = 0;
  long scale = 0;
  bool seenNonZero = false;
  for (; at < text.size() && isDigitByte(text[at]); ++at, ++digits) {
    if (seenNonZero)
      ++scale;
    else
      seenNonZero = text[at] != '0';
  }
  if (at < text.size() && text[at] == '.') {
    for (++at; at < text.size() && isDigitByte(text[at]); ++at, ++digits) {
      if (seenNonZero) continue;
      --scale;
      seenNonZero = text[at] != '0';
    }
  }
  if (digits == 0) return 0.0f;
  scale += readExponent(text, at);

  float value = 0.0f;
  const std::from_chars_result read = std::from_chars(text.data() + start, text.data() + at, value);
  if (read.ec == std::errc::result_out_of_range) value = scale >= 0 ? HUGE_VALF : 0.0f;
  return negative ? -value : value;
}

std::string formatTwoDecimals(float value) {
  // Room for the widest float in fixed notation: 39 digits, sign, point, 2.
  char text[64];
  const std::to_chars_result written =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
  return std::string(text, written.ptr);
}
