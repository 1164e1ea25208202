#include "grey_png.h"

#include <cairo.h>

#include <cstring>

bool writeGreyPng(const std::string& path, std::span<const uint8_t> pixels, int width, int height) {
  if (width <= 0 || height <= 0 ||
      pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
    return false;
  // cairo writes the bytes of an A8 surface as the grey samples of the PNG.
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return false;
  }
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int row = 0; row < height; ++row)
    std::memcpy(data + static_cast<size_t>(row) * stride,
                pixels.data() + static_cast<size_t>(row) * width, width);
  cairo_surface_mark_dirty(surface);
  bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return written;
}
