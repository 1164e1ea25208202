#include "grey_canvas.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cmath>

#include "font_lookup.h"
#include "utf8_text.h"

namespace {

// The grey of an RGB24 pixel; the canvas only ever paints r = g = b.
uint8_t greyOf(uint32_t pixel) { return static_cast<uint8_t>(pixel >> 8); }

uint32_t rgbOf(uint8_t grey) { return 0x010101u * grey; }

// value as a pixel index from 0 to limit; NaN counts as 0.
int pixelBound(double value, int limit) {
  if (!(value > 0)) return 0;
  return value < limit ? static_cast<int>(value) : limit;
}

// Unhinted outlines and fractional advances, so that measured and drawn
// widths agree and do not depend on the desktop's font settings.
void setPlainFontOptions(cairo_t* cr) {
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

// A cairo face for the given file alone, so that no rendering settings of
// the system's font configuration come with it.
cairo_font_face_t* faceForFile(const fontFile& file) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FILE, reinterpret_cast<const FcChar8*>(file.path.c_str()));
  FcPatternAddInteger(pattern, FC_INDEX, file.index);
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(pattern);
  FcPatternDestroy(pattern);
  if (cairo_font_face_status(face) == CAIRO_STATUS_SUCCESS) return face;
  cairo_font_face_destroy(face);
  return nullptr;
}

}  // namespace

std::unique_ptr<greyCanvas> greyCanvas::createOver(uint8_t* pixels, int width, int height) {
  if (!pixels || width <= 0 || height <= 0) return nullptr;
  int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
  if (stride <= 0) return nullptr;
  PixelMemory memory = allocatePixelMemory(static_cast<size_t>(stride) * static_cast<size_t>(height));
  if (!memory) return nullptr;
  cairo_surface_t* surface =
      cairo_image_surface_create_for_data(memory.get(), CAIRO_FORMAT_RGB24, width, height, stride);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  return std::unique_ptr<greyCanvas>(new greyCanvas(pixels, width, height, std::move(memory), surface));
}

greyCanvas::greyCanvas(uint8_t* pixels, int width, int height, PixelMemory memory,
                       cairo_surface_t* surface)
    : pixels(pixels),
      width(width),
      height(height),
      surfaceMemory(std::move(memory)),
      surface(surface),
      cr(cairo_create(surface)) {
  unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int row = 0; row < height; ++row) {
    auto* out = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(row) * stride);
    const uint8_t* in = pixels + static_cast<size_t>(row) * width;
    for (int x = 0; x < width; ++x) out[x] = rgbOf(in[x]);
  }
  cairo_surface_mark_dirty(surface);
  setPlainFontOptions(cr);
  setFillGrey(0, 1);
}

greyCanvas::~greyCanvas() {
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  for (auto& entry : fontFaces) cairo_font_face_destroy(entry.second.face);
}

// The face for name, loaded once per canvas; null when there is none.
const greyCanvas::loadedFont* greyCanvas::loadFont(std::string_view name) {
  auto it = fontFaces.find(name);
  if (it != fontFaces.end()) return &it->second;
  std::optional<fontFile> file = findFontFile(name);
  if (!file) return nullptr;
  cairo_font_face_t* face = faceForFile(*file);
  if (!face) return nullptr;
  return &fontFaces.emplace(std::string(name), loadedFont{face, file->path}).first->second;
}

bool greyCanvas::selectFont(std::string_view name, float size) {
  const loadedFont* font = loadFont(name);
  if (!font) return false;
  cairo_set_font_face(cr, font->face);
  cairo_set_font_size(cr, size);
  selectedFontFile = font->path;
  return true;
}

void greyCanvas::setFillGrey(float grey, float alpha) {
  cairo_set_source_rgba(cr, grey, grey, grey, alpha);
}

void greyCanvas::showText(std::string_view text) {
  if (text.empty()) return;
  std::string utf8 = decodeUtf8(text);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, utf8.c_str(), &extents);
  double x = textPosition.x;
  double y = deviceY(textPosition.y);
  if (textMode == textDrawingMode::fill) {
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, utf8.c_str());
    cairo_new_path(cr);
    copyToPixels(x + extents.x_bearing, y + extents.y_bearing,
                 x + extents.x_bearing + extents.width, y + extents.y_bearing + extents.height);
  }
  textPosition.x = static_cast<float>(x + extents.x_advance);
  textPosition.y = static_cast<float>(textPosition.y - extents.y_advance);
}

void greyCanvas::showTextAtPoint(textPoint at, std::string_view text) {
  setTextPosition(at);
  showText(text);
}

void greyCanvas::fillPath(std::span<const textPoint> points) {
  if (points.empty()) return;
  cairo_new_path(cr);
  cairo_move_to(cr, points[0].x, deviceY(points[0].y));
  for (const textPoint& p : points.subspan(1)) cairo_line_to(cr, p.x, deviceY(p.y));
  cairo_close_path(cr);
  double x1, y1, x2, y2;
  cairo_fill_extents(cr, &x1, &y1, &x2, &y2);
  cairo_fill(cr);
  copyToPixels(x1, y1, x2, y2);
}

// Copies the device rectangle (x1, y1)-(x2, y2), widened to whole pixels
// plus one for antialiased edges, from cairo's surface into the pixels.
void greyCanvas::copyToPixels(double x1, double y1, double x2, double y2) {
  cairo_surface_flush(surface);
  int left = pixelBound(std::floor(x1) - 1, width);
  int top = pixelBound(std::floor(y1) - 1, height);
  int right = pixelBound(std::ceil(x2) + 1, width);
  int bottom = pixelBound(std::ceil(y2) + 1, height);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int row = top; row < bottom; ++row) {
    auto* in = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(row) * stride);
    uint8_t* out = pixels + static_cast<size_t>(row) * width;
    for (int x = left; x < right; ++x) out[x] = greyOf(in[x]);
  }
}
