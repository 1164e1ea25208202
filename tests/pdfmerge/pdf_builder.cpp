#include "pdf_builder.h"

#include <stdlib.h>
#include <sys/wait.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

// PNG-encodes rows of width bytes with one filter type.
std::string pngEncode(const std::string& raw, size_t width, int type) {
  std::string out;
  std::string prior(width, '\0');
  for (size_t r = 0; r * width < raw.size(); ++r) {
    std::string row = raw.substr(r * width, width);
    out += static_cast<char>(type);
    for (size_t i = 0; i < width; ++i) {
      int a = i >= 1 ? static_cast<unsigned char>(row[i - 1]) : 0;
      int b = static_cast<unsigned char>(prior[i]);
      int c = i >= 1 ? static_cast<unsigned char>(prior[i - 1]) : 0;
      int p = a + b - c, pa = abs(p - a), pb = abs(p - b), pc = abs(p - c);
      int paeth = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
      int predictions[5] = {0, a, b, (a + b) / 2, paeth};
      out += static_cast<char>((static_cast<unsigned char>(row[i]) - predictions[type]) & 0xff);
    }
    prior = row;
  }
  return out;
}

}  // namespace

std::string tenDigits(int64_t n) {
  char text[32];
  snprintf(text, sizeof text, "%010lld", static_cast<long long>(n));
  return text;
}

PdfBuilder::PdfBuilder(std::string header) : bytes(std::move(header)) {}

int64_t PdfBuilder::addObject(int num, const std::string& body, int gen) {
  int64_t at = static_cast<int64_t>(bytes.size());
  bytes += std::to_string(num) + " " + std::to_string(gen) + " obj\n" + body + "\nendobj\n";
  offsets[num] = at;
  pending.push_back(num);
  return at;
}

int64_t PdfBuilder::classicSection(const std::string& dict, const std::string& entryEnd) {
  int64_t at = static_cast<int64_t>(bytes.size());
  bytes += "xref\n";
  if (firstSection) bytes += "0 1\n0000000000 65535 f" + entryEnd;
  for (size_t i = 0; i < pending.size();) {
    size_t j = i;
    while (j + 1 < pending.size() && pending[j + 1] == pending[j] + 1) ++j;
    bytes += std::to_string(pending[i]) + " " + std::to_string(j - i + 1) + "\n";
    for (size_t k = i; k <= j; ++k) bytes += tenDigits(offsets[pending[k]]) + " 00000 n" + entryEnd;
    i = j + 1;
  }
  bytes += "trailer\n" + dict + "\n";
  pending.clear();
  firstSection = false;
  return at;
}

int64_t PdfBuilder::streamSection(int num, const std::string& extra, int pngRowType, bool compress) {
  int64_t at = static_cast<int64_t>(bytes.size());
  offsets[num] = at;
  pending.push_back(num);
  std::string rows, index;
  if (firstSection) {
    rows += std::string("\x00\x00\x00\x00\x00\xff\xff", 7);
    index += "0 1";
  }
  for (int n : pending) {
    int64_t off = offsets[n];
    rows += '\x01';
    for (int shift = 24; shift >= 0; shift -= 8) rows += static_cast<char>((off >> shift) & 0xff);
    rows += std::string(2, '\0');
    index += (index.empty() ? "" : " ") + std::to_string(n) + " 1";
  }
  std::string params;
  if (pngRowType >= 0) {
    rows = pngEncode(rows, 7, pngRowType);
    params = " /DecodeParms << /Predictor 12 /Columns 7 >>";
  }
  std::string data = compress ? deflateBytes(rows) : rows;
  int maxNum = num;
  for (auto& [n, off] : offsets) maxNum = std::max(maxNum, n);
  bytes += std::to_string(num) + " 0 obj\n<< /Type /XRef /Size " + std::to_string(maxNum + 1) +
           " /Index [" + index + "] /W [1 4 2]" + (compress ? " /Filter /FlateDecode" : "") +
           params + extra + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
           "\nendstream\nendobj\n";
  pending.clear();
  firstSection = false;
  return at;
}

void PdfBuilder::finish(int64_t xrefOffset) {
  bytes += "startxref\n" + std::to_string(xrefOffset) + "\n%%EOF\n";
}

std::string deflateBytes(const std::string& data) {
  uLongf size = compressBound(data.size());
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &size,
           reinterpret_cast<const Bytef*>(data.data()), data.size());
  out.resize(size);
  return out;
}

TempFolder::TempFolder() {
  char name[] = "/tmp/pdfmerge-XXXXXX";
  if (mkdtemp(name) == nullptr) throw std::runtime_error("mkdtemp");
  path = name;
}

TempFolder::~TempFolder() { std::filesystem::remove_all(path); }

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeWhole(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

MergeResult mergeTicket(const std::string& in, const std::string& out, const std::string& ticket) {
  return insertQFJT(4, {"insertqfjt", in, out, ticket});
}

std::string extractTicket(const std::string& in, const std::string& scratch, MergeResult& result) {
  std::string out = scratch + "/extracted";
  result = insertQFJT(3, {"insertqfjt", in, out});
  return readWhole(out);
}

int shell(const std::string& command, std::string* output) {
  FILE* pipe = popen(("(" + command + ") 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  std::string text;
  char block[4096];
  size_t n;
  while ((n = fread(block, 1, sizeof block, pipe)) > 0) text.append(block, n);
  int status = pclose(pipe);
  if (output != nullptr) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
