// A fax cover sheet: labels from the strings file of the job's language and
// texts from the job's options, drawn into an 8-bit grey bitmap and handed
// out as a PostScript image, header first, then row by row.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "argument_store.h"
#include "grey_canvas.h"
#include "pixel_memory.h"
#include "resource_folder.h"
#include "trans_dictionary.h"

// Places on the sheet that have their own font.
enum class sheetPlace : unsigned { title = 0, heading = 1, label = 2 };

class greyscaleCoverSheet {
 public:
  // A white inWidth x inHeight canvas with the strings of the language the
  // option JRENCODINGSTR names, read from resourceFolder. Null when a size
  // is not positive or resourceFolder is not a folder. When the pixels or
  // the canvas cannot be had, the sheet has neither: drawing does nothing
  // and nextLine yields none.
  static std::unique_ptr<greyscaleCoverSheet> CreateBitmapContextWithWidth(
      int inWidth, int inHeight, const argumentStore& mStoreDict,
      const std::string& resourceFolder = defaultResourceFolder());

  // The drawing canvas, or null when the sheet has none.
  greyCanvas* context() const { return canvas.get(); }

  // The language's number, compared without regard to letter case; 0 for
  // English, an absent language and any language the sheet does not know.
  static unsigned findFontNumWith(const std::string* language);
  // The name of the resource folder's localisation for a font number.
  static std::string_view localisationFor(unsigned fontNum);
  // The font name used at place; every known language uses the same fonts.
  static std::string_view infoForCoverSheetValue(sheetPlace location);

  // Moves the text position by difference.
  void moveTextPositionBy(textPoint difference);
  // Option bytes as UTF-8 text to draw (invalid bytes become U+FFFD).
  static std::string encodeWithString(std::string_view text);
  // Advance of text in the current font, in pixels; 0 for an absent text
  // or a sheet without canvas. No pixel and not the text position change.
  float getTextPixelWidth(const std::string* text);
  // Widest of the six field labels' translations in the current font.
  float scanTextForLargest();

  // Draws the whole sheet: title, page count, "To" and "From" blocks,
  // comments and the five rules. Absent options and labels draw nothing.
  void createImageWith(const argumentStore& mStoreDict);
  // The PostScript image header.
  std::string postScriptImageString() const { return imageHeader; }
  // The next row line, from the bottom row up to row 1; none after row 1,
  // and the call after that starts at the bottom again.
  std::optional<std::string> nextLine();

  // The pixels, row 0 at the top; empty when the sheet has none.
  std::span<const uint8_t> bitMapArea() const;
  int bitmapBytesPerRow() const { return bytesPerRow; }
  int lineCount() const { return lines; }
  int currentLine() const { return rowCursor; }
  const transDictionary& translations() const { return *strings; }

 private:
  greyscaleCoverSheet(int width, int height, std::shared_ptr<transDictionary> strings);
  void selectFont(sheetPlace place, float size);
  void showLabelAt(std::string_view key, textPoint at);

  std::shared_ptr<transDictionary> strings;
  PixelMemory pixels;
  std::unique_ptr<greyCanvas> canvas;
  std::string imageHeader;
  int bytesPerRow;
  int lines;
  int rowCursor = -1;
};
