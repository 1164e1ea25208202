// The PostScript level 2 image that carries the cover sheet: a fixed header,
// then one line of hexadecimal grey samples per pixel row.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// The 16 header lines for an image of width x imageHeight samples, placed
// at 12,12 in default user space. The rows must follow the header directly.
std::string postScriptImageHeader(unsigned width, unsigned imageHeight);

// One row: two upper-case hexadecimal digits per pixel, then " \n".
std::string hexRowLine(std::span<const uint8_t> row);
