#include "postscript_image.h"

#include <array>
#include <charconv>
#include <cstring>
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
  // Both digits of every byte value, so that a pixel costs one copy.
  static constexpr std::array<char, 512> kDigitPairs = [] {
    constexpr std::string_view kHexDigits = "0123456789ABCDEF";
    std::array<char, 512> pairs{};
    for (size_t value = 0; value < 256; ++value) {
      pairs[2 * value] = kHexDigits[value >> 4];
      pairs[2 * value + 1] = kHexDigits[value & 0x0F];
    }
    return pairs;
  }();
  std::string line(row.size() * 2 + 2, ' ');
  char* out = line.data();
  for (uint8_t pixel : row) {
    std::memcpy(out, &kDigitPairs[2 * size_t{pixel}], 2);
    out += 2;
  }
  out[1] = '\n';
  return line;
}
