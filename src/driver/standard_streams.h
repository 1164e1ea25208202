// The three standard descriptors of a program that CUPS (or anyone) may
// start with some of them closed. A closed one must not stay free: the
// next file the program opens would take its number, and the printer
// stream or messages would be written into that file.
#pragma once

#include <string>

// Fills every closed standard descriptor with /dev/null. Returns the names
// of those that were closed among standard output and standard error
// ("standard output", "standard error", or both joined by " and "), empty
// when both were open; a closed standard input reads as empty.
std::string holdStandardDescriptors();
