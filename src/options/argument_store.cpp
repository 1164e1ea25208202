#include "argument_store.h"

#include <cups/cups.h>

#include <algorithm>
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

bool isOptionSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Where name first stands as an option name in text: at the start or after
// white space, and followed by '=', white space or the end ("noName" for a
// boolean counts as well). text.size() when it does not.
size_t firstAppearance(std::string_view text, std::string_view name) {
  for (const std::string& written : {std::string(name), "no" + std::string(name)}) {
    for (size_t at = text.find(written); at != std::string_view::npos;
         at = text.find(written, at + 1)) {
      const size_t end = at + written.size();
      const bool starts = at == 0 || isOptionSpace(text[at - 1]);
      const bool ends = end == text.size() || text[end] == '=' || isOptionSpace(text[end]);
      if (starts && ends) return at;
    }
  }
  return text.size();
}

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

  // The parser sorts by name; list the options as the job gave them.
  const std::string_view text = optionString ? optionString : "";
  std::vector<std::pair<size_t, std::string>> byPosition;
  for (std::string& name : result->names)
    byPosition.emplace_back(firstAppearance(text, name), std::move(name));
  std::stable_sort(byPosition.begin(), byPosition.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 0; i < byPosition.size(); ++i) result->names[i] = std::move(byPosition[i].second);
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
