// The languages the cover sheet knows and the fonts of its places.
#include <array>

#include "greyscale_cover_sheet.h"
#include "string_additions.h"

namespace {

struct sheetLanguage {
  std::string_view name;  // as in JRENCODINGSTR and the .lproj folder name
  unsigned fontNum;
};

constexpr std::array<sheetLanguage, 11> kLanguages{{
    {"English", 0}, {"French", 1}, {"Italian", 2}, {"German", 3},
    {"Spanish", 4}, {"pt", 5},     {"da", 6},      {"fi", 7},
    {"nl", 8},      {"no", 9},     {"sv", 10},
}};

// Font names by sheetPlace.
constexpr std::array<std::string_view, 3> kPlaceFonts{
    "Helvetica-BoldOblique",  // title
    "Arial Bold",             // section headings
    "Arial",                  // field labels, entered texts, label measuring
};

}  // namespace

unsigned greyscaleCoverSheet::findFontNumWith(const std::string* language) {
  if (!language) return 0;
  for (const sheetLanguage& known : kLanguages)
    if (equalsIgnoringCase(known.name, *language)) return known.fontNum;
  return 0;
}

std::string_view greyscaleCoverSheet::localisationFor(unsigned fontNum) {
  for (const sheetLanguage& known : kLanguages)
    if (known.fontNum == fontNum) return known.name;
  return kLanguages[0].name;
}

std::string_view greyscaleCoverSheet::infoForCoverSheetValue(sheetPlace location) {
  return kPlaceFonts[static_cast<unsigned>(location)];
}
