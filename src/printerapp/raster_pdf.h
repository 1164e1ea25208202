// Raster pages as a PDF the family prints like any other: each page one
// image at the raster's resolution, so that the page is as large as the
// raster says. Lines are compressed as they come, so a page never has to
// be held whole in memory.
#pragma once

#include <zlib.h>

#include <span>
#include <string>
#include <vector>

#include <sys/types.h>

// How a raster's pixels are coded: 8 bits a component.
enum class RasterColours {
  gray,   // one component, 0 is black
  black,  // one component, 0 is white
  rgb,    // three components, red, green, blue
};

struct RasterPageLayout {
  unsigned width = 0, height = 0;  // in pixels
  unsigned xDpi = 0, yDpi = 0;
  RasterColours colours = RasterColours::rgb;
  // A back side the client turned: columns run right to left, lines
  // bottom to top.
  bool mirrored = false;
  bool upsideDown = false;
};

class RasterPdf {
 public:
  // Writes the PDF into fd, which it then owns.
  explicit RasterPdf(int fd);
  ~RasterPdf();
  RasterPdf(const RasterPdf&) = delete;
  RasterPdf& operator=(const RasterPdf&) = delete;

  // Begins a page; false when the layout cannot make one.
  bool startPage(const RasterPageLayout& layout);
  // Adds the next line of the page: the page's width in pixels, top line
  // first. False when the page has all its lines or a write failed.
  bool addLine(std::span<const unsigned char> line);
  // Ends the page; false when it did not get all its lines.
  bool endPage();
  // Ends the document and closes the file; false when a page is still open,
  // there is none, or a write failed.
  bool finish();

  unsigned pageCount() const { return pages; }
  // The bytes a line of the current page has.
  size_t lineBytes() const { return bytesPerLine; }
  // Why the last call failed.
  const std::string& error() const { return failure; }

 private:
  bool fail(std::string why);
  void write(std::string_view bytes);
  bool flush();
  bool deflateInto(int flush);
  void startObject(unsigned number);
  void writePageObjects();

  int fd;
  z_stream zip{};
  bool zipReady = false;
  std::string pending;
  off_t written = 0;
  bool writeFailed = false;
  std::vector<off_t> objectOffsets;
  RasterPageLayout page;
  bool pageOpen = false;
  size_t bytesPerLine = 0;
  unsigned linesAdded = 0;
  off_t streamStart = 0;
  unsigned pages = 0;
  std::string failure;
};
