#include "system_version.h"

#include <charconv>
#include <cstdlib>

std::optional<int32_t> parseSystemVersion(std::string_view text) {
  if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
  int32_t version = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), version, 16);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return version;
}

std::optional<int32_t> querySystemVersion() {
  const char* text = std::getenv("TICKETPRESS_SYSTEM_VERSION");
  if (!text) return kFirstUsbTrailerVersion;
  return parseSystemVersion(text);
}

bool usbTrailerAllowed(std::optional<int32_t> version) {
  return version && *version >= kFirstUsbTrailerVersion;
}
