#include "family_strings.h"

#include <ctime>
#include <string_view>

#include "family_settings.h"
#include "family_tables.h"
#include "pwg_names.h"

// PAPPL 1.3.1's loader of a localization (exported, not declared), and the
// layout of the resource it reads (_pappl_resource_t, system-private.h).
struct PapplResource {
  char *path, *format, *filename, *language;
  time_t lastModified;
  const void* data;
  size_t length;
  pappl_resource_cb_t cb;
  void* cbdata;
};
extern "C" pappl_loc_t* _papplLocCreate(pappl_system_t* system, PapplResource* resource);

namespace {

// text between quotes, with the escapes of the strings format.
std::string quoted(std::string_view text) {
  std::string result = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') result += '\\';
    result += c;
  }
  return result + '"';
}

// One "key" = "label"; line; key is prefix and keyword joined by a dot, or
// keyword alone without a prefix.
void addLine(std::string& strings, std::string_view prefix, std::string_view keyword, std::string_view label) {
  std::string key(prefix);
  if (!key.empty()) key += '.';
  key += keyword;
  strings += quoted(key) + " = " + quoted(label) + ";\n";
}

}  // namespace

std::string familyStrings() {
  std::string strings;
  for (const FamilySetting& setting : familySettings()) {
    addLine(strings, "", setting.attribute, setting.label);
    for (const FamilySettingChoice& choice : setting.choices)
      addLine(strings, setting.attribute, choice.keyword, choice.label);
  }
  for (const FamilyTray& tray : familyTrays()) addLine(strings, "media-source", tray.keyword, tray.label);
  for (const LabelledChoice& type : familyMediaTypes())
    addLine(strings, "media-type", pwgNameOf(type.ppd, PwgChoiceKind::mediaType), type.label);
  for (const LabelledChoice& bin : familyOutputBins())
    addLine(strings, "output-bin", pwgNameOf(bin.ppd, PwgChoiceKind::outputBin), bin.label);
  return strings;
}

void addFamilyLabels(pappl_system_t* system) {
  // PAPPL copies the labels; its built-in English ones, loaded with the
  // system, come first.
  const std::string strings = familyStrings();
  PapplResource resource{};
  resource.language = const_cast<char*>("en");
  resource.data = strings.c_str();
  resource.length = strings.size();
  _papplLocCreate(system, &resource);
}
