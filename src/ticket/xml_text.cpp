#include "xml_text.h"

#include <cstdint>

namespace {

// Length of the well-formed UTF-8 sequence at text[i] that encodes an XML
// character, or 0 when the bytes there are not one.
size_t xmlCharacterLength(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t lead = byte(i);
  size_t length;
  uint32_t code;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() - i < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  const bool notCharacter = code == 0xFFFE || code == 0xFFFF || code > 0x10FFFF;
  return (overlong || surrogate || notCharacter) ? 0 : length;
}

void appendCharacterReference(std::string& out, uint8_t byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "&#x";
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0F];
  out += ';';
}

}  // namespace

std::string escapeXmlAttribute(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    if (c >= 0x80) {
      size_t length = xmlCharacterLength(text, i);
      if (length == 0) {
        appendCharacterReference(out, c);
        ++i;
      } else {
        out.append(text.substr(i, length));
        i += length;
      }
      continue;
    }
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\t': case '\n': case '\r': out += static_cast<char>(c); break;
      default: out += (c < 0x20) ? ' ' : static_cast<char>(c);
    }
    ++i;
  }
  return out;
}
