// Saving a grey bitmap as a PNG file, for looking at a cover sheet.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Writes pixels (width x height bytes, row 0 at the top) to path as an
// 8-bit grey PNG. False when the file cannot be written.
bool writeGreyPng(const std::string& path, std::span<const uint8_t> pixels, int width, int height);
