// Small string helpers shared by the subsystems.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Whether a and b are the same text but for the case of ASCII letters; no
// locale is consulted (IPP keywords and PPD names are ASCII).
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// text with its ASCII capitals in lower case, every other byte as it is.
std::string lowerCased(std::string_view text);

// Returns receiver with every occurrence of oldText replaced by newText,
// scanning left to right without overlaps; an empty oldText changes nothing.
std::string replaceString(std::string_view receiver, std::string_view oldText,
                          std::string_view newText);

// As replaceString, but ASCII letters of oldText match either case. Bytes
// are compared as bytes otherwise; no locale is consulted.
std::string replaceStringIgnoringCase(std::string_view receiver, std::string_view oldText,
                                      std::string_view newText);

// The integer at the start of text: leading white space skipped, then an
// optional sign and decimal digits up to the first other byte; 0 when text
// does not begin with a number. Values beyond 32 bits saturate.
int32_t intValue(std::string_view text);
