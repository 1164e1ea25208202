// The operating-system version that decides whether a USB printer gets the
// closing PJL job. Linux has no such query; an administrator may set one.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The oldest version (binary-coded decimal, 10.3.0) whose USB path accepts
// the closing PJL job.
inline constexpr int32_t kFirstUsbTrailerVersion = 0x1030;

// Reads TICKETPRESS_SYSTEM_VERSION: hex digits with an optional 0x prefix,
// or "none" for a failed query. Unset means a current system. Text that is
// not a version counts as a failed query.
std::optional<int32_t> querySystemVersion();

// Parses one TICKETPRESS_SYSTEM_VERSION value as querySystemVersion does.
std::optional<int32_t> parseSystemVersion(std::string_view text);

// True when the closing PJL job may follow the job on a USB device.
bool usbTrailerAllowed(std::optional<int32_t> version);
