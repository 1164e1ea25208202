// Finding the font file for a font name through fontconfig.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct fontFile {
  std::string path;
  int index = 0;  // face index inside the file
};

// The file fontconfig picks for fontName. The cover sheet's names
// ("Helvetica-BoldOblique", "Arial Bold", "Arial") are asked for as family,
// weight and slant, so the system's metric-compatible aliases apply (for
// example Nimbus Sans, Liberation Sans); any other name is asked for as a
// family name. None when fontconfig has no font at all.
std::optional<fontFile> findFontFile(std::string_view fontName);
