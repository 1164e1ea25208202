#include "raster_pdf.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

namespace {

// The largest page side a PDF reader must take, in points.
constexpr double kMaxPagePoints = 14400;
// Compression that keeps up with a client's upload: raster pages are mostly
// long runs, which the fastest level already packs tightly.
constexpr int kCompression = 1;
constexpr size_t kWriteChunk = 1 << 16;

// The catalog and the page tree come first; each page has an image, the
// image's length, a content stream and the page itself.
constexpr unsigned kCatalog = 1, kPageTree = 2, kObjectsPerPage = 4;
unsigned imageObject(unsigned page) { return 3 + kObjectsPerPage * page; }
unsigned lengthObject(unsigned page) { return imageObject(page) + 1; }
unsigned contentObject(unsigned page) { return imageObject(page) + 2; }
unsigned pageObject(unsigned page) { return imageObject(page) + 3; }

// A number as PDF writes it, whatever the locale: at most four decimals.
std::string number(double value) {
  char text[64];
  auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 4);
  std::string result(text, error == std::errc() ? end : text);
  if (result.find('.') != std::string::npos) {
    while (result.back() == '0') result.pop_back();
    if (result.back() == '.') result.pop_back();
  }
  return result;
}

std::string number(unsigned value) { return std::to_string(value); }

unsigned componentsOf(RasterColours colours) { return colours == RasterColours::rgb ? 3 : 1; }

}  // namespace

RasterPdf::RasterPdf(int fd) : fd(fd) {
  objectOffsets.resize(3);
  write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
}

RasterPdf::~RasterPdf() {
  if (zipReady) deflateEnd(&zip);
  if (fd >= 0) close(fd);
}

bool RasterPdf::fail(std::string why) {
  failure = std::move(why);
  return false;
}

void RasterPdf::write(std::string_view bytes) {
  pending.append(bytes);
  written += static_cast<off_t>(bytes.size());
  if (pending.size() >= kWriteChunk) flush();
}

bool RasterPdf::flush() {
  size_t done = 0;
  while (!writeFailed && done < pending.size()) {
    const ssize_t n = ::write(fd, pending.data() + done, pending.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      writeFailed = true;
      failure = std::string("Unable to write the raster's PDF: ") + std::strerror(n < 0 ? errno : EIO);
    } else {
      done += static_cast<size_t>(n);
    }
  }
  pending.clear();
  return !writeFailed;
}

void RasterPdf::startObject(unsigned number) {
  if (objectOffsets.size() <= number) objectOffsets.resize(number + 1);
  objectOffsets[number] = written;
  write(std::to_string(number) + " 0 obj\n");
}

bool RasterPdf::startPage(const RasterPageLayout& layout) {
  if (pageOpen) return fail("A raster page began before the last one ended");
  if (layout.width == 0 || layout.height == 0 || layout.xDpi == 0 || layout.yDpi == 0)
    return fail("A raster page has no pixels or no resolution");
  if (layout.width * 72.0 / layout.xDpi > kMaxPagePoints || layout.height * 72.0 / layout.yDpi > kMaxPagePoints)
    return fail("A raster page is larger than 200 inches");
  if (!zipReady) {
    if (deflateInit(&zip, kCompression) != Z_OK) return fail("Unable to start compressing a raster page");
    zipReady = true;
  } else if (deflateReset(&zip) != Z_OK) {
    return fail("Unable to start compressing a raster page");
  }
  page = layout;
  bytesPerLine = static_cast<size_t>(layout.width) * componentsOf(layout.colours);
  linesAdded = 0;
  pageOpen = true;

  startObject(imageObject(pages));
  std::string dict = "<< /Type /XObject /Subtype /Image /Width " + number(layout.width) + " /Height " +
                     number(layout.height) + " /BitsPerComponent 8 /ColorSpace ";
  dict += layout.colours == RasterColours::rgb ? "/DeviceRGB" : "/DeviceGray";
  if (layout.colours == RasterColours::black) dict += " /Decode [1 0]";
  dict += " /Filter /FlateDecode /Length " + number(lengthObject(pages)) + " 0 R >>\nstream\n";
  write(dict);
  streamStart = written;
  return !writeFailed;
}

bool RasterPdf::deflateInto(int flushMode) {
  unsigned char out[kWriteChunk];
  int status = Z_OK;
  do {
    zip.next_out = out;
    zip.avail_out = sizeof out;
    status = deflate(&zip, flushMode);
    if (status == Z_STREAM_ERROR) return fail("Unable to compress a raster page");
    write(std::string_view(reinterpret_cast<const char*>(out), sizeof out - zip.avail_out));
  } while (zip.avail_out == 0 || (flushMode == Z_FINISH && status != Z_STREAM_END));
  return !writeFailed;
}

bool RasterPdf::addLine(std::span<const unsigned char> line) {
  if (!pageOpen) return fail("A raster line came outside a page");
  if (linesAdded == page.height) return fail("A raster page has more lines than its height");
  if (line.size() != bytesPerLine) return fail("A raster line has the wrong length");
  zip.next_in = const_cast<unsigned char*>(line.data());
  zip.avail_in = static_cast<uInt>(line.size());
  ++linesAdded;
  return deflateInto(Z_NO_FLUSH);
}

bool RasterPdf::endPage() {
  if (!pageOpen) return fail("A raster page ended that had not begun");
  pageOpen = false;
  if (linesAdded != page.height)
    return fail("Raster page " + std::to_string(pages + 1) + " ended after " + std::to_string(linesAdded) +
                " of its " + std::to_string(page.height) + " lines");
  if (!deflateInto(Z_FINISH)) return false;
  const off_t length = written - streamStart;
  write("\nendstream\nendobj\n");
  startObject(lengthObject(pages));
  write(std::to_string(length) + "\nendobj\n");
  writePageObjects();
  ++pages;
  return !writeFailed;
}

// The content stream that draws the image over the whole page, turned back
// where the client turned it, and the page.
void RasterPdf::writePageObjects() {
  const double width = page.width * 72.0 / page.xDpi, height = page.height * 72.0 / page.yDpi;
  const std::string matrix = number(page.mirrored ? -width : width) + " 0 0 " +
                             number(page.upsideDown ? -height : height) + " " +
                             number(page.mirrored ? width : 0.0) + " " +
                             number(page.upsideDown ? height : 0.0) + " cm\n";
  const std::string content = "q\n" + matrix + "/Im0 Do\nQ\n";
  startObject(contentObject(pages));
  write("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream\nendobj\n");
  startObject(pageObject(pages));
  write("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + number(width) + " " + number(height) +
        "] /Resources << /XObject << /Im0 " + number(imageObject(pages)) + " 0 R >> >> /Contents " +
        number(contentObject(pages)) + " 0 R >>\nendobj\n");
}

bool RasterPdf::finish() {
  if (pageOpen) return fail("The raster ended in the middle of a page");
  if (pages == 0) return fail("The raster has no pages");
  startObject(kPageTree);
  std::string kids;
  for (unsigned i = 0; i < pages; ++i) kids += (i ? " " : "") + number(pageObject(i)) + " 0 R";
  write("<< /Type /Pages /Kids [" + kids + "] /Count " + number(pages) + " >>\nendobj\n");
  startObject(kCatalog);
  write("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");

  const off_t xref = written;
  write("xref\n0 " + std::to_string(objectOffsets.size()) + "\n0000000000 65535 f \n");
  for (size_t i = 1; i < objectOffsets.size(); ++i) {
    char entry[21];
    snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(objectOffsets[i]));
    write(std::string_view(entry, 20));
  }
  write("trailer\n<< /Size " + std::to_string(objectOffsets.size()) + " /Root 1 0 R >>\nstartxref\n" +
        std::to_string(xref) + "\n%%EOF\n");
  if (!flush()) return false;
  const int closing = fd;
  fd = -1;
  if (close(closing) != 0) return fail(std::string("Unable to write the raster's PDF: ") + std::strerror(errno));
  return true;
}
