#include "greyscale_cover_sheet.h"

#include <algorithm>

#include "postscript_image.h"
#include "sheet_test_support.h"

namespace {

std::shared_ptr<argumentStore> options(const char* text) {
  return argumentStore::initWithOptionString(text);
}

std::unique_ptr<greyscaleCoverSheet> sheet(int width, int height, const char* text = "",
                                           const std::string& folder = SHIPPED_RESOURCES) {
  return greyscaleCoverSheet::CreateBitmapContextWithWidth(width, height, *options(text), folder);
}

}  // namespace

TEST(CoverSheetCanvas, StartsWhiteWithTheCursorBeforeTheBottomRow) {
  auto s = sheet(100, 50);
  ASSERT_TRUE(s);
  ASSERT_NE(s->context(), nullptr);
  EXPECT_EQ(s->bitmapBytesPerRow(), 100);
  EXPECT_EQ(s->lineCount(), 50);
  EXPECT_EQ(s->currentLine(), -1);
  ASSERT_EQ(s->bitMapArea().size(), 5000u);
  EXPECT_TRUE(std::all_of(s->bitMapArea().begin(), s->bitMapArea().end(),
                          [](uint8_t p) { return p == 0xFF; }));
}

TEST(CoverSheetCanvas, NoSheetWithoutResourcesOrWithoutSize) {
  EXPECT_EQ(sheet(100, 50, "", "/nonexistent/coversheet"), nullptr);
  EXPECT_EQ(sheet(100, 50, "", SHIPPED_RESOURCES "/English.lproj/Localizable.strings"), nullptr);
  EXPECT_EQ(sheet(0, 50), nullptr);
  EXPECT_EQ(sheet(100, -1), nullptr);
}

TEST(CoverSheetCanvas, WithoutCanvasNothingIsDrawnOrSent) {
  auto s = sheet(40000, 2, "JRCSNAME=x");  // wider than cairo allows
  ASSERT_TRUE(s);
  EXPECT_EQ(s->context(), nullptr);
  EXPECT_TRUE(s->bitMapArea().empty());
  s->createImageWith(*options("JRCSNAME=x"));
  EXPECT_EQ(s->getTextPixelWidth(s->translations().getValue("Name:")), 0.0f);
  EXPECT_FALSE(s->nextLine());
  EXPECT_NE(s->postScriptImageString().find("/Width 40000 def"), std::string::npos);
}

TEST(CoverSheetStrings, LanguageChoosesTheStringsFile) {
  auto upper = sheet(10, 10, "JRENCODINGSTR=FRENCH");
  EXPECT_EQ(*upper->translations().getValue("Voice #:"), "T\xC3\xA9l\xC3\xA9phone :");
  auto swedish = sheet(10, 10, "JRENCODINGSTR=sv");
  EXPECT_EQ(*swedish->translations().getValue("From:"), "Fr\xC3\xA5n:");
  for (const char* text : {"", "JRENCODINGSTR=Portuguese", "JRENCODINGSTR=../../etc"})
    EXPECT_EQ(*sheet(10, 10, text)->translations().getValue("Voice #:"), "Voice #:") << text;
}

class CoverSheetFallback : public TempFolderTest {};

TEST_F(CoverSheetFallback, MissingLocalisationReadsEnglishWithMessage) {
  write("English.lproj/Localizable.strings", "\"Name:\" = \"Name:\";");
  testing::internal::CaptureStderr();
  auto s = sheet(10, 10, "JRENCODINGSTR=German", folder.string());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: Unable to open file " + folder.string() +
                "/German.lproj/Localizable.strings English is being used.\n");
  EXPECT_EQ(s->translations().count(), 1);
}

TEST_F(CoverSheetFallback, EmptyStringsMeasureNothing) {
  write("English.lproj/Localizable.strings", "/* nothing yet */\n");
  auto s = sheet(100, 100, "", folder.string());
  s->context()->selectFont("Arial", 26);
  EXPECT_EQ(s->scanTextForLargest(), 0.0f);
}

TEST(TextMeasuring, LeavesPositionPixelsAndModeAlone) {
  auto s = sheet(200, 50, "JRENCODINGSTR=French");
  s->context()->selectFont("Arial", 12);
  s->context()->setTextPosition({7, 9});
  s->context()->setTextDrawingMode(textDrawingMode::invisible);
  std::string text = "T\xC3\xA9l\xC3\xA9phone :";
  float width = s->getTextPixelWidth(&text);
  EXPECT_GT(width, 50);
  EXPECT_LT(width, 80);
  EXPECT_EQ(s->context()->getTextPosition().x, 7);
  EXPECT_EQ(s->context()->getTextPosition().y, 9);
  EXPECT_EQ(s->context()->getTextDrawingMode(), textDrawingMode::fill);
  EXPECT_TRUE(std::all_of(s->bitMapArea().begin(), s->bitMapArea().end(),
                          [](uint8_t p) { return p == 0xFF; }));
  // What is measured is what is drawn.
  s->context()->showText(text);
  EXPECT_FLOAT_EQ(s->context()->getTextPosition().x, 7 + width);
  EXPECT_EQ(s->getTextPixelWidth(nullptr), 0.0f);
}

TEST(TextMeasuring, WidestLabelAndMoves) {
  auto s = sheet(200, 50);
  s->context()->selectFont("Arial", 26);
  std::string company = "Company:";
  EXPECT_EQ(s->scanTextForLargest(), s->getTextPixelWidth(&company));
  s->context()->setTextPosition({1.5f, 2});
  s->moveTextPositionBy({50, -0.5f});
  EXPECT_EQ(s->context()->getTextPosition().x, 51.5f);
  EXPECT_EQ(s->context()->getTextPosition().y, 1.5f);
}

TEST(TextMeasuring, EncodeKeepsUtf8AndRepairsTheRest) {
  EXPECT_EQ(greyscaleCoverSheet::encodeWithString("Ann Lee"), "Ann Lee");
  EXPECT_EQ(greyscaleCoverSheet::encodeWithString("Ren\xC3\xA9"), "Ren\xC3\xA9");
  EXPECT_EQ(greyscaleCoverSheet::encodeWithString("Ren\xE9"), "Ren\xEF\xBF\xBD");
}

TEST(PostScriptImage, HeaderOfATwoByThreeCanvas) {
  EXPECT_EQ(sheet(2, 3)->postScriptImageString(),
            "%%FaxCoverPage: 1 1\n"
            "/temp 2 string def\n"
            "/CSImage 7 dict def\n"
            "CSImage begin\n"
            "    /ImageType 1 def\n"
            "    /Width 2 def\n"
            "    /Height 2 def\n"
            "    /BitsPerComponent 8 def\n"
            "    /ImageMatrix [ 1 0 0 1 0 0 ] def\n"
            "    /DataSource { currentfile temp readhexstring pop } def\n"
            "    /Decode [ 0 1 ] def\n"
            "end\n"
            "12 12 translate\n"
            "/DeviceGray setcolorspace\n"
            "CSImage\n"
            "image\n");
}

TEST(PostScriptImage, RowsGoBottomUpWithoutRowZeroAndWrap) {
  auto s = sheet(2, 3);
  const std::array<textPoint, 4> bottomLeft{{{0, 0}, {0, 1}, {1, 1}, {1, 0}}};
  const std::array<textPoint, 4> topRow{{{0, 2}, {0, 3}, {2, 3}, {2, 2}}};
  s->context()->fillPath(bottomLeft);
  s->context()->fillPath(topRow);  // row 0, never sent
  EXPECT_EQ(s->nextLine(), "00FF \n");
  EXPECT_EQ(s->currentLine(), 1);
  EXPECT_EQ(s->nextLine(), "FFFF \n");
  EXPECT_EQ(s->nextLine(), std::nullopt);
  EXPECT_EQ(s->currentLine(), -1);
  EXPECT_EQ(s->nextLine(), "00FF \n");
}

TEST(PostScriptImage, OneRowCanvasSendsNothing) {
  auto s = sheet(3, 1);
  EXPECT_NE(s->postScriptImageString().find("/Height 0 def"), std::string::npos);
  EXPECT_EQ(s->nextLine(), std::nullopt);
  EXPECT_EQ(s->nextLine(), std::nullopt);
}

TEST(PostScriptImage, TwoUpperCaseDigitsPerPixel) {
  const uint8_t row[] = {0x00, 0x0A, 0x80, 0xFF, 0x5c, 0xE1};
  EXPECT_EQ(hexRowLine(row), "000A80FF5CE1 \n");
  EXPECT_EQ(hexRowLine({}), " \n");
}
