// The PPD's labels of the family's settings, trays, media types and output
// bins, as a strings file for PAPPL: its web pages show a vendor attribute
// and its values by their keywords otherwise ("quorlan-rgb-image:",
// "Srgb Vivid").
#pragma once

#include <pappl/pappl.h>

#include <string>

// The English strings ("key" = "label"; one a line) under the keys PAPPL
// looks labels up by: "quorlan-rgb-image" for a setting,
// "quorlan-rgb-image.srgb-vivid" for its values, "media-source.manual",
// "media-type.bond" and "output-bin.bin-1" for the keywords the
// application offers.
std::string familyStrings();

// Adds the strings to system's English labels, before it runs. Not as a
// strings resource of a language (papplSystemAddStringsData): PAPPL 1.3.1
// then adds printer-strings-languages-supported to the printer's own
// attributes at each Get-Printer-Attributes, under a read lock only
// (_papplPrinterCopyAttributesNoLock in its printer-ipp.c), so that they
// grow with every request and two requests at once may corrupt them.
void addFamilyLabels(pappl_system_t* system);
