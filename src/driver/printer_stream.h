// The framing of the byte stream the printer receives around the PJL block
// and the PDF: the opening banner and the closing PJL job.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// ESC followed by "%-12345X": the Universal Exit Language sequence.
inline constexpr std::string_view kUel = "\x1B%-12345X";

// Writes the UEL and the banner comment that open every job.
void writeBanner(FILE* printer);

// True when the closing PJL job follows the end of job: always, except for
// a USB device ("usb:" URI, case-sensitive) on a system too old for it.
bool wantsTrailerBlock(std::string_view deviceUri, bool usbIsOk);

// Writes the closing PJL job: UEL, UEL + "@PJL JOB", QPORTROTATE, EOJ, UEL.
void writeTrailerBlock(FILE* printer);
