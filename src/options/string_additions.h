// Small string helpers shared by the subsystems.
#pragma once

#include <string>
#include <string_view>

// Returns receiver with every occurrence of oldText replaced by newText,
// scanning left to right without overlaps; an empty oldText changes nothing.
std::string replaceString(std::string_view receiver, std::string_view oldText,
                          std::string_view newText);

// As replaceString, but ASCII letters of oldText match either case. Bytes
// are compared as bytes otherwise; no locale is consulted.
std::string replaceStringIgnoringCase(std::string_view receiver, std::string_view oldText,
                                      std::string_view newText);
