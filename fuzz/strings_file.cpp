// The strings-file reader: the scanner, the dictionary built from it and
// the UTF-8 re-decoding of its values. Whatever the file holds, keys and
// values are texts between quotes, every stored value is valid UTF-8, the
// dictionary keeps the last value of each key, and re-decoding changes
// nothing that is already valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "strings_file_scanner.h"
#include "trans_dictionary.h"
#include "utf8_text.h"

namespace {

bool isSkippable(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Whether text is valid UTF-8: each sequence decodes to a code point that
// needs its length, is no surrogate and is at most U+10FFFF.
bool isValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<uint8_t>(text[i]);
    size_t length = 0;
    if (lead < 0x80)
      length = 1;
    else if ((lead & 0xE0) == 0xC0)
      length = 2;
    else if ((lead & 0xF0) == 0xE0)
      length = 3;
    else if ((lead & 0xF8) == 0xF0)
      length = 4;
    if (length == 0 || text.size() - i < length) return false;
    uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<uint8_t>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
      return false;
    i += length;
  }
  return true;
}

// Re-decoding always gives valid UTF-8 and leaves valid UTF-8 as it is.
void checkDecoding(std::string_view bytes) {
  const std::string decoded = decodeUtf8(bytes);
  require(isValidUtf8(decoded));
  require(decodeUtf8(decoded) == decoded);
  if (isValidUtf8(bytes)) require(decoded == bytes);
}

// A key or value is the text between two quotes, without leading white space.
void checkQuotedText(std::string_view text) {
  require(text.find('"') == std::string_view::npos);
  require(text.empty() || !isSkippable(text.front()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  checkDecoding(text);

  const std::vector<stringsPair> pairs = scanStringsText(text);
  size_t quotes = 0;
  for (char c : text) quotes += c == '"';
  require(pairs.size() * 4 <= quotes);
  std::map<std::string, std::string> lastValues;
  for (const stringsPair& pair : pairs) {
    checkQuotedText(pair.key);
    checkQuotedText(pair.value);
    lastValues[pair.key] = pair.value;
  }

  const std::shared_ptr<transDictionary> dictionary = transDictionary::initWithText(text);
  require(dictionary->count() == static_cast<int>(lastValues.size()));
  require(dictionary->keyEnumerator().size() == lastValues.size());
  for (const auto& [key, value] : lastValues) {
    const std::string* stored = dictionary->getValue(key);
    require(stored != nullptr);
    require(*stored == decodeUtf8(value));
    checkDecoding(value);
  }
  return 0;
}
