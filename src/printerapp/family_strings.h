// The PPD's labels of the family's settings, trays, media types and output
// bins, as a strings file for PAPPL: its web pages show a vendor attribute
// and its values by their keywords otherwise ("quorlan-rgb-image:",
// "Srgb Vivid"), and clients may read the file (printer-strings-uri).
#pragma once

#include <string>

// The English strings ("key" = "label"; one a line) under the keys PAPPL
// looks labels up by: "quorlan-rgb-image" for a setting,
// "quorlan-rgb-image.srgb-vivid" for its values, "media-source.manual",
// "media-type.bond" and "output-bin.bin-1" for the keywords the
// application offers.
std::string familyStrings();
