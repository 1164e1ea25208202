// The option string through the option store. Whatever the string holds,
// the store keeps exactly the options that libcups parses from it, each
// value escape-decoded, and lists every stored name once.
#include <cups/cups.h>

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "argument_store.h"
#include "fuzz_check.h"

namespace {

// A decoded value is never longer than its text, and a value without any
// "<" has nothing to decode.
void checkDecoding(const std::string& raw, const std::string& decoded) {
  require(decoded.size() <= raw.size());
  if (raw.find('<') == std::string::npos) require(decoded == raw);
}

// The store holds what libcups makes of text, and nothing else.
void checkAgainstParser(const char* text, const argumentStore& store) {
  cups_option_t* parsed = nullptr;
  const int n = cupsParseOptions(text, 0, &parsed);
  require(store.count() == n);
  for (int i = 0; i < n; ++i) {
    const std::string raw = parsed[i].value ? parsed[i].value : "";
    const std::string* value = store.getValue(parsed[i].name);
    require(value != nullptr);
    require(*value == decodeOptionEscapes(raw));
    checkDecoding(raw, *value);
  }
  cupsFreeOptions(n, parsed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The option string arrives as a command-line argument: it ends at a NUL.
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string text(bytes.substr(0, bytes.find('\0')));

  const std::shared_ptr<argumentStore> store = argumentStore::initWithOptionString(text.c_str());
  require(store != nullptr);
  checkAgainstParser(text.c_str(), *store);

  const std::vector<std::string>& names = store->keyEnumerator();
  require(names.size() == static_cast<size_t>(store->count()));
  require(std::set<std::string>(names.begin(), names.end()).size() == names.size());
  for (const std::string& name : names) require(store->getValue(name) != nullptr);
  return 0;
}
