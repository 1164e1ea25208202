// The floor for the cover sheet benchmark: writes to standard output as
// many hexadecimal bytes as `coversheet --width W --height H` sends (H - 1
// rows of 2 W digits and " \n"), with a plain loop over a white canvas.
//   hex_floor W H
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// One row's line for pixels, as the cover sheet writes it.
void encodeRow(const std::vector<unsigned char>& pixels, std::string& line) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (size_t i = 0; i < pixels.size(); ++i) {
    line[2 * i] = kDigits[pixels[i] >> 4];
    line[2 * i + 1] = kDigits[pixels[i] & 0x0F];
  }
}

}  // namespace

// Encodes and writes every row.
int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: hex_floor WIDTH HEIGHT\n");
    return 1;
  }
  const size_t width = std::strtoul(argv[1], nullptr, 10);
  const size_t height = std::strtoul(argv[2], nullptr, 10);
  std::vector<unsigned char> pixels(width, 0xFF);
  std::string line(width * 2 + 2, ' ');
  line.back() = '\n';
  for (size_t row = 1; row < height; ++row) {
    encodeRow(pixels, line);
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
