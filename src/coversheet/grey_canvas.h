// An 8-bit grey drawing surface over a caller's pixel block, drawn with
// cairo. User space has its origin at the bottom-left corner, y pointing up,
// one unit per pixel; row 0 of the pixel block is the top row.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "pixel_memory.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo_font_face cairo_font_face_t;

// A point in user space, two 32-bit floats.
struct textPoint {
  float x = 0;
  float y = 0;
};

enum class textDrawingMode { fill = 0, invisible = 3 };

class greyCanvas {
 public:
  // A canvas over pixels (width x height bytes, each row right after the
  // one before). The pixels' current values are kept. Null when cairo
  // cannot make a surface of that size.
  static std::unique_ptr<greyCanvas> createOver(uint8_t* pixels, int width, int height);
  ~greyCanvas();
  greyCanvas(const greyCanvas&) = delete;
  greyCanvas& operator=(const greyCanvas&) = delete;

  // Selects the font fontconfig finds for name at size (pixels per em);
  // false, with the font unchanged, when there is none.
  bool selectFont(std::string_view name, float size);
  // The file of the font selected last, or "" before the first selection.
  const std::string& fontFilePath() const { return selectedFontFile; }

  // Sets the grey (0 black, 1 white) and opacity of text and filled paths.
  void setFillGrey(float grey, float alpha);
  void setTextDrawingMode(textDrawingMode mode) { textMode = mode; }
  textDrawingMode getTextDrawingMode() const { return textMode; }

  void setTextPosition(textPoint position) { textPosition = position; }
  textPoint getTextPosition() const { return textPosition; }

  // Shows UTF-8 text at the text position in the selected font and moves
  // the position to the end of it. In the invisible mode only the position
  // moves. Bytes that are not UTF-8 are shown as U+FFFD.
  void showText(std::string_view text);
  // Sets the text position to at, then shows text there.
  void showTextAtPoint(textPoint at, std::string_view text);
  // Fills the closed polygon through points with the fill grey.
  void fillPath(std::span<const textPoint> points);

 private:
  greyCanvas(uint8_t* pixels, int width, int height, PixelMemory memory, cairo_surface_t* surface);
  double deviceY(float y) const { return height - static_cast<double>(y); }
  void copyToPixels(double x1, double y1, double x2, double y2);

  uint8_t* pixels;
  int width;
  int height;
  PixelMemory surfaceMemory;  // cairo's pixels; outlives the surface
  cairo_surface_t* surface;
  cairo_t* cr;
  struct loadedFont {
    cairo_font_face_t* face;
    std::string path;
  };
  const loadedFont* loadFont(std::string_view name);

  std::map<std::string, loadedFont, std::less<>> fontFaces;
  std::string selectedFontFile;
  textPoint textPosition;
  textDrawingMode textMode = textDrawingMode::fill;
};
