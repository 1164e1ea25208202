#include "font_lookup.h"

#include <fontconfig/fontconfig.h>

#include <array>

namespace {

struct fontRequest {
  std::string_view name;
  const char* family;
  int weight;
  int slant;
};

constexpr std::array<fontRequest, 3> kFontRequests{{
    {"Helvetica-BoldOblique", "Helvetica", FC_WEIGHT_BOLD, FC_SLANT_OBLIQUE},
    {"Arial Bold", "Arial", FC_WEIGHT_BOLD, FC_SLANT_ROMAN},
    {"Arial", "Arial", FC_WEIGHT_REGULAR, FC_SLANT_ROMAN},
}};

// The fontconfig pattern that asks for fontName.
FcPattern* patternFor(std::string_view fontName) {
  FcPattern* pattern = FcPatternCreate();
  for (const fontRequest& request : kFontRequests) {
    if (request.name != fontName) continue;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.family));
    FcPatternAddInteger(pattern, FC_WEIGHT, request.weight);
    FcPatternAddInteger(pattern, FC_SLANT, request.slant);
    return pattern;
  }
  std::string family(fontName);
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  return pattern;
}

}  // namespace

std::optional<fontFile> findFontFile(std::string_view fontName) {
  FcPattern* pattern = patternFor(fontName);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return std::nullopt;

  std::optional<fontFile> found;
  FcChar8* path = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
    found = fontFile{reinterpret_cast<const char*>(path), 0};
    FcPatternGetInteger(match, FC_INDEX, 0, &found->index);
  }
  FcPatternDestroy(match);
  return found;
}
