#include "client_names.h"

namespace {

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// A byte that continues a UTF-8 character.
bool continuesCharacter(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::string oneLine(std::string_view value, size_t maxOctets) {
  std::string line;
  line.reserve(std::min(value.size(), maxOctets));
  for (const char c : value)
    if (!isControl(static_cast<unsigned char>(c))) line += c;
  if (line.size() <= maxOctets) return line;
  // Back to the start of the character that the bound would split; invalid
  // UTF-8 loses at most three more bytes.
  size_t end = maxOctets;
  for (int back = 0; back < 3 && end > 0 && continuesCharacter(static_cast<unsigned char>(line[end])); ++back)
    --end;
  line.resize(end);
  return line;
}
