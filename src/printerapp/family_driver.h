// The printer application's one driver: the family's media, trays, media
// types, output bins, duplex, colour modes, qualities and resolutions,
// finishings and its own settings, for PAPPL.
#pragma once

#include <pappl/pappl.h>

// The driver's name and description, as "add -m" and the web interface
// show them.
inline constexpr const char* kFamilyDriverName = "quorlan_pdf_laser";
inline constexpr const char* kFamilyDriverDescription = "Quorlan PDF Laser";

// The driver's own defaults, which leave the printer's own settings: a job
// takes a printer default only where an administrator changed it.
inline constexpr pappl_color_mode_t kInitialColorMode = PAPPL_COLOR_MODE_AUTO;
inline constexpr ipp_quality_t kInitialQuality = IPP_QUALITY_NORMAL;
inline constexpr int kInitialResolution = 600;
inline constexpr pappl_sides_t kInitialSides = PAPPL_SIDES_ONE_SIDED;
inline constexpr const char* kInitialMedia = "na_letter_8.5x11in";
inline constexpr const char* kInitialOutputBin = "auto";

// PAPPL's driver callback: fills data and the vendor attributes in attrs.
// cbdata is the system's DevicePolicy (none: every file: device refused);
// a printer whose device it refuses is not made, and the log says why.
bool familyDriver(pappl_system_t* system, const char* driverName, const char* deviceUri,
                  const char* deviceId, pappl_pr_driver_data_t* data, ipp_t** attrs, void* cbdata);

// PAPPL's auto-add callback: the family's driver for a device whose IEEE
// 1284 ID names Quorlan as its maker, else none.
const char* familyAutoAdd(const char* deviceInfo, const char* deviceUri, const char* deviceId,
                          void* data);
