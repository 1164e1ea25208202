#include <array>
#include <vector>

#include "greyscale_cover_sheet.h"
#include "sheet_test_support.h"

namespace {

// A white canvas of its own pixels.
struct whiteCanvas {
  whiteCanvas(int width, int height)
      : width(width), height(height), pixels(static_cast<size_t>(width) * height, 0xFF),
        canvas(greyCanvas::createOver(pixels.data(), width, height)) {}

  std::optional<pixelBox> ink() const { return inkBox(pixels, width, 0, height - 1, 0, width - 1); }

  int width;
  int height;
  std::vector<uint8_t> pixels;
  std::unique_ptr<greyCanvas> canvas;
};

}  // namespace

TEST(FontNumbers, NamesMatchWithoutRegardToCase) {
  std::string french = "French", upper = "FRENCH", lower = "french";
  EXPECT_EQ(greyscaleCoverSheet::findFontNumWith(&french), 1u);
  EXPECT_EQ(greyscaleCoverSheet::findFontNumWith(&upper), 1u);
  EXPECT_EQ(greyscaleCoverSheet::findFontNumWith(&lower), 1u);
  std::string sv = "SV", pt = "pt";
  EXPECT_EQ(greyscaleCoverSheet::findFontNumWith(&sv), 10u);
  EXPECT_EQ(greyscaleCoverSheet::findFontNumWith(&pt), 5u);
  EXPECT_EQ(greyscaleCoverSheet::localisationFor(1), "French");
  EXPECT_EQ(greyscaleCoverSheet::localisationFor(10), "sv");
}

TEST(FontNumbers, UnknownOrAbsentLanguageIsEnglish) {
  for (std::string language : {"Portuguese", "Japanese", "zh_TW", "", "French ", "../French"})
    EXPECT_EQ(greyscaleCoverSheet::findFontNumWith(&language), 0u) << language;
  EXPECT_EQ(greyscaleCoverSheet::findFontNumWith(nullptr), 0u);
  EXPECT_EQ(greyscaleCoverSheet::localisationFor(0), "English");
}

TEST(PlaceFonts, ResolveToMetricCompatibleFiles) {
  EXPECT_EQ(greyscaleCoverSheet::infoForCoverSheetValue(sheetPlace::title), "Helvetica-BoldOblique");
  EXPECT_EQ(greyscaleCoverSheet::infoForCoverSheetValue(sheetPlace::heading), "Arial Bold");
  EXPECT_EQ(greyscaleCoverSheet::infoForCoverSheetValue(sheetPlace::label), "Arial");
  whiteCanvas c(10, 10);
  const std::array<std::pair<sheetPlace, const char*>, 3> expected{{
      {sheetPlace::title, "/usr/share/fonts/opentype/urw-base35/NimbusSans-BoldItalic.otf"},
      {sheetPlace::heading, "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"},
      {sheetPlace::label, "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"},
  }};
  for (const auto& [place, file] : expected) {
    ASSERT_TRUE(c.canvas->selectFont(greyscaleCoverSheet::infoForCoverSheetValue(place), 12));
    EXPECT_EQ(c.canvas->fontFilePath(), file);
  }
}

TEST(GreyCanvas, OriginIsBottomLeftWithYUp) {
  whiteCanvas c(4, 3);
  const std::array<textPoint, 4> bottomLeft{{{0, 0}, {0, 1}, {3, 1}, {3, 0}}};
  c.canvas->fillPath(bottomLeft);
  EXPECT_EQ(c.pixels, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF,  //
                                            0xFF, 0xFF, 0xFF, 0xFF,  //
                                            0x00, 0x00, 0x00, 0xFF}));
  c.canvas->setFillGrey(0.5f, 1);
  const std::array<textPoint, 4> topRight{{{3, 2}, {3, 3}, {4, 3}, {4, 2}}};
  c.canvas->fillPath(topRight);
  EXPECT_EQ(c.pixels[3], 0x80);
}

TEST(GreyCanvas, KeepsThePixelsItWasGiven) {
  std::vector<uint8_t> pixels(6, 0x40);
  auto canvas = greyCanvas::createOver(pixels.data(), 3, 2);
  const std::array<textPoint, 4> one{{{0, 0}, {0, 1}, {1, 1}, {1, 0}}};
  canvas->fillPath(one);
  EXPECT_EQ(pixels, (std::vector<uint8_t>{0x40, 0x40, 0x40, 0x00, 0x40, 0x40}));
  EXPECT_EQ(greyCanvas::createOver(pixels.data(), 0, 2), nullptr);
  EXPECT_EQ(greyCanvas::createOver(pixels.data(), 40000, 1), nullptr);  // beyond cairo
}

TEST(GreyCanvas, TextStandsUprightOnItsBaseline) {
  whiteCanvas c(60, 60);
  ASSERT_TRUE(c.canvas->selectFont("Arial", 40));
  c.canvas->showTextAtPoint({10, 10}, "T");
  auto box = c.ink();
  ASSERT_TRUE(box);
  EXPECT_NEAR(box->bottom, 60 - 10 - 1, 1);  // baseline at y = 10
  // The bar of the T is at the top: the top row is wider than the bottom one.
  auto topRow = inkBox(c.pixels, 60, box->top, box->top, 0, 59);
  auto bottomRow = inkBox(c.pixels, 60, box->bottom, box->bottom, 0, 59);
  EXPECT_GT(topRow->right - topRow->left, 3 * (bottomRow->right - bottomRow->left));
  EXPECT_GT(c.canvas->getTextPosition().x, 30);  // advanced past the glyph
  EXPECT_EQ(c.canvas->getTextPosition().y, 10);
}

TEST(GreyCanvas, InvisibleTextOnlyMovesThePosition) {
  whiteCanvas c(100, 40);
  ASSERT_TRUE(c.canvas->selectFont("Arial", 20));
  c.canvas->setTextDrawingMode(textDrawingMode::invisible);
  c.canvas->showTextAtPoint({5, 10}, "Name:");
  float invisibleEnd = c.canvas->getTextPosition().x;
  EXPECT_FALSE(c.ink());
  c.canvas->setTextDrawingMode(textDrawingMode::fill);
  c.canvas->showTextAtPoint({5, 10}, "Name:");
  EXPECT_TRUE(c.ink());
  EXPECT_EQ(c.canvas->getTextPosition().x, invisibleEnd);
}

TEST(GreyCanvas, DrawsTheCharactersOfUtf8Text) {
  whiteCanvas plain(60, 60), accented(60, 60);
  plain.canvas->selectFont("Arial", 30);
  accented.canvas->selectFont("Arial", 30);
  plain.canvas->showTextAtPoint({10, 10}, "E");
  accented.canvas->showTextAtPoint({10, 10}, "\xC3\x89");  // E with acute accent
  ASSERT_TRUE(plain.ink() && accented.ink());
  EXPECT_LT(accented.ink()->top, plain.ink()->top - 3);    // the accent sits above
  EXPECT_EQ(accented.ink()->bottom, plain.ink()->bottom);  // on the same baseline
  EXPECT_EQ(accented.canvas->getTextPosition().x, plain.canvas->getTextPosition().x);
}

TEST(GreyCanvas, BytesThatAreNotUtf8DoNotStopDrawing) {
  whiteCanvas c(60, 30);
  c.canvas->selectFont("Arial", 20);
  c.canvas->showTextAtPoint({5, 5}, "\xE9t\xE9");
  EXPECT_TRUE(c.ink());
  EXPECT_GT(c.canvas->getTextPosition().x, 5);
  std::fill(c.pixels.begin(), c.pixels.end(), 0xFF);
  const std::array<textPoint, 4> square{{{0, 0}, {0, 2}, {2, 2}, {2, 0}}};
  c.canvas->fillPath(square);  // a failed cairo context would draw nothing more
  EXPECT_EQ(c.pixels[static_cast<size_t>(29) * 60], 0x00);
}
