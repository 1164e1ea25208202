#include "family_strings.h"

#include <string_view>

#include "family_settings.h"
#include "family_tables.h"
#include "pwg_names.h"

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
