#include "pjl_line.h"

namespace {

// True for the bytes that could end or split a PJL line, ESC included.
bool isControlByte(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// Appends value with control bytes made spaces and, when quoted, double
// quotes made apostrophes.
void appendValue(std::string& line, std::string_view value, bool quoted) {
  for (char c : value) {
    if (isControlByte(static_cast<unsigned char>(c)))
      line += ' ';
    else if (quoted && c == '"')
      line += '\'';
    else
      line += c;
  }
}

}  // namespace

std::string formatPJLLine(std::string_view pattern, std::span<const std::string_view> values) {
  std::string line;
  line.reserve(pattern.size());
  size_t next = 0;
  for (size_t at = 0; at < pattern.size(); ++at) {
    const bool placeholder = pattern[at] == '%' && at + 1 < pattern.size() &&
                             (pattern[at + 1] == 's' || pattern[at + 1] == 'q');
    if (!placeholder) {
      line += pattern[at];
      continue;
    }
    const bool quoted = pattern[++at] == 'q';
    const std::string_view value = next < values.size() ? values[next] : std::string_view();
    ++next;
    if (quoted) line += '"';
    appendValue(line, value, quoted);
    if (quoted) line += '"';
  }
  return line;
}
