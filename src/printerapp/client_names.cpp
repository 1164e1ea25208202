#include "client_names.h"

namespace {

// The most octets of a value with this tag, 0 for values that are not
// strings a client names things with.
size_t boundOf(ipp_tag_t tag) {
  switch (tag) {
    case IPP_TAG_NAME:
    case IPP_TAG_NAMELANG:
    case IPP_TAG_KEYWORD:
    case IPP_TAG_MIMETYPE:
    case IPP_TAG_CHARSET:
    case IPP_TAG_LANGUAGE:
    case IPP_TAG_URISCHEME:
      return kMaxNameOctets;
    case IPP_TAG_TEXT:
    case IPP_TAG_TEXTLANG:
    case IPP_TAG_URI:
      return kMaxTextOctets;
    default:
      return 0;
  }
}

// A byte that continues a UTF-8 character.
bool continuesCharacter(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::string oneLine(std::string_view value, size_t maxOctets) {
  std::string line;
  line.reserve(std::min(value.size(), maxOctets));
  for (const char c : value)
    if (!isControlOctet(static_cast<unsigned char>(c))) line += c;
  if (line.size() <= maxOctets) return line;
  // Back to the start of the character that the bound would split; invalid
  // UTF-8 loses at most three more bytes.
  size_t end = maxOctets;
  for (int back = 0; back < 3 && end > 0 && continuesCharacter(static_cast<unsigned char>(line[end])); ++back)
    --end;
  line.resize(end);
  return line;
}

void boundRequestStrings(ipp_t* request) {
  for (ipp_attribute_t* attr = ippFirstAttribute(request); attr; attr = ippNextAttribute(request)) {
    const ipp_tag_t tag = ippGetValueTag(attr);
    const size_t bound = boundOf(tag);
    for (int i = 0; i < ippGetCount(attr); ++i) {
      if (tag == IPP_TAG_BEGIN_COLLECTION) {
        boundRequestStrings(ippGetCollection(attr, i));
        continue;
      }
      const char* value = bound ? ippGetString(attr, i, nullptr) : nullptr;
      if (!value) continue;
      const std::string line = oneLine(value, bound);
      if (line != value) ippSetString(request, &attr, i, line.c_str());
    }
  }
}
