#include "postscript_image.h"

#include <array>
#include <charconv>
#include <string_view>

namespace {

// Digits of a number, locale-independent.
std::string decimal(unsigned value) {
  std::array<char, 16> digits;
  auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  return std::string(digits.data(), end);
}

}  // namespace

std::string postScriptImageHeader(unsigned width, unsigned imageHeight) {
  std::string header;
  header += "%%FaxCoverPage: 1 1\n";
  header += "/temp " + decimal(width) + " string def\n";
  header += "/CSImage 7 dict def\n";
  header += "CSImage begin\n";
  header += "    /ImageType 1 def\n";
  header += "    /Width " + decimal(width) + " def\n";
  header += "    /Height " + decimal(imageHeight) + " def\n";
  header += "    /BitsPerComponent 8 def\n";
  header += "    /ImageMatrix [ 1 0 0 1 0 0 ] def\n";
  header += "    /DataSource { currentfile temp readhexstring pop } def\n";
  header += "    /Decode [ 0 1 ] def\n";
  header += "end\n";
  header += "12 12 translate\n";
  header += "/DeviceGray setcolorspace\n";
  header += "CSImage\n";
  header += "image\n";
  return header;
}

std::string hexRowLine(std::span<const uint8_t> row) {
  static constexpr std::string_view kHexDigits = "0123456789ABCDEF";
  std::string line;
  line.reserve(row.size() * 2 + 2);
  for (uint8_t pixel : row) {
    line += kHexDigits[pixel >> 4];
    line += kHexDigits[pixel & 0x0F];
  }
  line += " \n";
  return line;
}
