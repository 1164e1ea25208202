// Names and texts that clients give, made safe to keep: one line, bounded
// in length. PAPPL writes job names and user names into its state file
// between quotes, escaping only quotes and backslashes, and reads that
// file back line by line into a 2 KB buffer: a line end in a name would
// become a directive of its own, and a long name would be cut into one.
#pragma once

#include <cups/ipp.h>

#include <cstddef>
#include <string>
#include <string_view>

// The most octets of a name, as IPP bounds name values.
inline constexpr size_t kMaxNameOctets = 255;
// The most octets of a text value, as IPP bounds them.
inline constexpr size_t kMaxTextOctets = 1023;

// Whether c is a control character (U+0000 to U+001F, U+007F), which no
// kept name holds.
inline bool isControlOctet(unsigned char c) { return c < 0x20 || c == 0x7F; }

// value without control characters (U+0000 to U+001F and U+007F), cut to
// at most maxOctets octets without splitting a UTF-8 character. Other bytes
// stay as they are.
std::string oneLine(std::string_view value, size_t maxOctets);

// Makes every string a client sent in request one line: names, keywords,
// MIME types and the like at most kMaxNameOctets, texts and URIs at most
// kMaxTextOctets, in collections too. Octet strings (a job's password)
// stay as they are.
void boundRequestStrings(ipp_t* request);
