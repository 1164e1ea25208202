// Re-decoding of 8-bit text as UTF-8, for strings-file values and the texts
// of a job's options that the cover sheet draws.
#pragma once

#include <string>
#include <string_view>

// Returns bytes as UTF-8 text. Well-formed UTF-8 (plain ASCII included)
// comes back unchanged; each byte that does not belong to a well-formed
// sequence becomes U+FFFD, so the result is always valid UTF-8.
std::string decodeUtf8(std::string_view bytes);
