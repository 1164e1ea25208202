#include "argument_store.h"

#include <cups/cups.h>

#include <array>

#include "string_additions.h"

namespace {

struct OptionEscape {
  std::string_view escape;
  std::string_view character;
};

// Decoded in this order; a later step sees what an earlier one produced.
constexpr std::array<OptionEscape, 6> kOptionEscapes{{
    {"<27>", "'"},
    {"<3D>", "="},
    {"<20>", " "},
    {"<2C>", ","},
    {"<3C>", "<"},
    {"<3E>", ">"},
}};

}  // namespace

std::string decodeOptionEscapes(std::string value) {
  if (value.size() <= 3) return value;
  for (const OptionEscape& e : kOptionEscapes)
    value = replaceStringIgnoringCase(value, e.escape, e.character);
  return value;
}

std::shared_ptr<argumentStore> argumentStore::initWithOptionString(const char* optionString) {
  std::shared_ptr<argumentStore> result(new argumentStore());
  cups_option_t* parsed = nullptr;
  int n = cupsParseOptions(optionString ? optionString : "", 0, &parsed);
  for (int i = 0; i < n; ++i)
    result->store(parsed[i].name, decodeOptionEscapes(parsed[i].value ? parsed[i].value : ""));
  cupsFreeOptions(n, parsed);
  return result;
}

// Stores one option; a name given again replaces the earlier value.
void argumentStore::store(std::string name, std::string value) {
  auto [it, inserted] = options.insert_or_assign(name, std::move(value));
  if (inserted) names.push_back(it->first);
}

int argumentStore::count() const { return static_cast<int>(options.size()); }

const std::string* argumentStore::getValue(std::string_view name) const {
  auto it = options.find(name);
  return it == options.end() ? nullptr : &it->second;
}
