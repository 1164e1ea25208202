// Composition of one PJL line from a fixed pattern and inserted texts.
#pragma once

#include <span>
#include <string>
#include <string_view>

// Fills pattern with values, in order: "%s" takes a value as it is, "%q" a
// value between double quotes. In every inserted value each control byte
// (0x00 to 0x1F, 0x7F) becomes a space, and in a quoted value each double
// quote becomes an apostrophe, so that no value can end the line, open a
// second command or leave its quotes. Bytes 0x80 to 0xFF pass unchanged.
// A placeholder without a value takes the empty text.
std::string formatPJLLine(std::string_view pattern, std::span<const std::string_view> values);
