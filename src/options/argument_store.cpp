#include "argument_store.h"

#include <algorithm>
#include <array>

#include "cups_library.h"
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

// Where each word of text first stands as an option name: at the start or
// after white space, up to '=', white space or the end. Boolean options
// written "noName" are found under their name in noWords. One pass, so a
// long option string costs no more than its length.
void mapFirstAppearances(std::string_view text, std::map<std::string_view, size_t>& words,
                         std::map<std::string_view, size_t>& noWords) {
  size_t at = 0;
  while (at < text.size()) {
    if (isOptionSpace(text[at])) {
      ++at;
      continue;
    }
    size_t end = at;
    while (end < text.size() && text[end] != '=' && !isOptionSpace(text[end])) ++end;
    const std::string_view word = text.substr(at, end - at);
    words.emplace(word, at);
    if (word.starts_with("no")) noWords.emplace(word.substr(2), at);
    while (end < text.size() && !isOptionSpace(text[end])) ++end;
    at = end;
  }
}

}  // namespace

std::string decodeOptionEscapes(std::string value) {
  if (value.size() <= 3) return value;
  for (const OptionEscape& e : kOptionEscapes)
    value = replaceStringIgnoringCase(value, e.escape, e.character);
  return value;
}

std::shared_ptr<argumentStore> argumentStore::initWithOptionString(const char* optionString) {
  const CupsLibrary* cups = cupsLibrary();
  if (!cups) return nullptr;
  std::shared_ptr<argumentStore> result(new argumentStore());
  cups_option_t* parsed = nullptr;
  int n = cups->parseOptions(optionString ? optionString : "", 0, &parsed);
  for (int i = 0; i < n; ++i)
    result->store(parsed[i].name, decodeOptionEscapes(parsed[i].value ? parsed[i].value : ""));
  cups->freeOptions(n, parsed);

  // The parser sorts by name; list the options as the job gave them.
  const std::string_view text = optionString ? optionString : "";
  std::map<std::string_view, size_t> words, noWords;
  mapFirstAppearances(text, words, noWords);
  const auto positionOf = [&](const std::string& name) {
    if (auto it = words.find(name); it != words.end()) return it->second;
    if (auto it = noWords.find(name); it != noWords.end()) return it->second;
    return text.size();
  };
  std::vector<std::pair<size_t, std::string>> byPosition;
  for (std::string& name : result->names) byPosition.emplace_back(positionOf(name), std::move(name));
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
