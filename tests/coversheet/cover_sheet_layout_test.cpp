#include <algorithm>
#include <array>

#include "greyscale_cover_sheet.h"
#include "sheet_test_support.h"

namespace {

constexpr int kWidth = 612;
constexpr int kHeight = 792;

// Draws a letter-size sheet from the option text with the shipped strings,
// or with the strings of folder.
std::vector<uint8_t> drawSheet(const std::string& text, const std::string& folder = SHIPPED_RESOURCES) {
  auto store = argumentStore::initWithOptionString(text.c_str());
  auto sheet = greyscaleCoverSheet::CreateBitmapContextWithWidth(kWidth, kHeight, *store, folder);
  sheet->createImageWith(*store);
  return std::vector<uint8_t>(sheet->bitMapArea().begin(), sheet->bitMapArea().end());
}

// The row of the bitmap whose bottom edge is at user y.
int rowAbove(float y) { return kHeight - static_cast<int>(y) - 1; }

// Width of text in the given font, as the sheet measures it.
float measure(std::string_view font, float size, std::string text) {
  auto store = argumentStore::initWithOptionString("");
  auto sheet = greyscaleCoverSheet::CreateBitmapContextWithWidth(10, 10, *store, SHIPPED_RESOURCES);
  sheet->context()->selectFont(font, size);
  return sheet->getTextPixelWidth(&text);
}

// The box that option (name=value) adds to the sheet of base options.
std::optional<pixelBox> placeOf(const std::string& option, const std::string& base = "") {
  return differenceBox(drawSheet(base), drawSheet(base + " " + option), kWidth);
}

}  // namespace

TEST(CoverSheetLayout, FiveRulesFromInsetToRightEdge) {
  auto pixels = drawSheet("");
  struct ruleRows { float y1, y2; };
  for (ruleRows rule : {ruleRows{685, 683}, {620, 619}, {495, 494}, {240, 239}, {27, 25}}) {
    SCOPED_TRACE(rule.y1);
    for (int row = rowAbove(rule.y1 - 1); row <= rowAbove(rule.y2); ++row) {
      auto box = inkBox(pixels, kWidth, row, row, 0, kWidth - 1);
      ASSERT_TRUE(box);
      EXPECT_EQ(box->left, 40);
      EXPECT_EQ(box->right, 569);
      EXPECT_EQ(pixels[static_cast<size_t>(row) * kWidth + 300], 0x00);
    }
    EXPECT_FALSE(inkBox(pixels, kWidth, rowAbove(rule.y1), rowAbove(rule.y1), 0, kWidth - 1));
    EXPECT_FALSE(inkBox(pixels, kWidth, rowAbove(rule.y2 - 1), rowAbove(rule.y2 - 1), 0, kWidth - 1));
  }
}

TEST(CoverSheetLayout, EnteredTextsGoToTheirRows) {
  std::string wide = "JRENCODINGSTR=Spanish";  // a wider label column than English
  float column = measure("Arial", 26, "Correo electr\xC3\xB3nico:") / 2 + 70;
  struct place { const char* option; float y; };
  for (place p : {place{"JRJOBNAME", 540}, {"JRCSNAME", 420}, {"JRCSRECVOICE", 510},
                  {"JRCSSENDVOICE", 285}, {"JRCSCOMPANY", 390}, {"JRCSADDR1", 360},
                  {"JRCSADDR2", 345}, {"JRCSSENDFAX", 315}, {"JRCSEMAIL", 255},
                  {"JRCSCOMMNTA", 165}, {"JRCSCOMMNTB", 145}, {"JRCSCOMMNTC", 125},
                  {"JRCSCOMMNTD", 105}, {"JRCSCOMMNTE", 85}, {"JRCSCOMMNTF", 65}}) {
    SCOPED_TRACE(p.option);
    auto box = placeOf(std::string(p.option) + "=HIH", wide);
    ASSERT_TRUE(box);
    EXPECT_NEAR(box->bottom, rowAbove(p.y), 1);
    EXPECT_GE(box->left, static_cast<int>(column) - 1);
    EXPECT_LE(box->left, static_cast<int>(column) + 2);
  }
}

TEST(CoverSheetLayout, PageCountFollowsItsLabelBy50) {
  float labelEnd = 40 + measure("Arial Bold", 18, "Pages to Follow:");
  auto box = placeOf("JRCSCPAGES=H");
  ASSERT_TRUE(box);
  EXPECT_GE(box->left, static_cast<int>(labelEnd + 50) - 1);
  EXPECT_LE(box->left, static_cast<int>(labelEnd + 50) + 2);
  EXPECT_NEAR(box->bottom, rowAbove(630), 1);
}

TEST(CoverSheetLayout, FieldLabelsAreRightAligned) {
  for (const char* language : {"English", "French", "fi", "Spanish"}) {
    SCOPED_TRACE(language);
    auto pixels = drawSheet(std::string("JRENCODINGSTR=") + language);
    std::vector<int> rightEdges;
    for (float y : {540, 510, 420, 390, 360, 315, 285, 255}) {
      auto box = inkBox(pixels, kWidth, rowAbove(y) - 12, rowAbove(y), 0, 300);
      ASSERT_TRUE(box) << y;
      rightEdges.push_back(box->right);
    }
    auto [low, high] = std::minmax_element(rightEdges.begin(), rightEdges.end());
    EXPECT_LE(*high - *low, 1);  // every label ends in a colon at the same edge
  }
}

TEST(CoverSheetLayout, TitleAndHeadingsStartAtTheInset) {
  auto pixels = drawSheet("");
  for (float y : {700, 630, 570, 450, 195}) {
    auto box = inkBox(pixels, kWidth, rowAbove(y) - 14, rowAbove(y), 0, kWidth - 1);
    ASSERT_TRUE(box) << y;
    EXPECT_GE(box->left, 40) << y;
    EXPECT_LE(box->left, 44) << y;
  }
}

class CoverSheetWithoutStrings : public TempFolderTest {};

TEST_F(CoverSheetWithoutStrings, OnlyRulesAndEnteredTextsAreDrawn) {
  write("English.lproj/Localizable.strings", "");
  std::string resources = folder.string();
  auto empty = drawSheet("", resources);
  // Nothing but the five rules: every dark row lies within one of them.
  auto inkRows = 0;
  for (int row = 0; row < kHeight; ++row)
    if (inkBox(empty, kWidth, row, row, 0, kWidth - 1)) ++inkRows;
  EXPECT_EQ(inkRows, 2 + 1 + 1 + 1 + 2);
  auto comment = differenceBox(empty, drawSheet("JRCSCOMMNTC=HIH", resources), kWidth);
  ASSERT_TRUE(comment);
  EXPECT_GE(comment->left, 69);
  EXPECT_LE(comment->left, 72);
  EXPECT_NEAR(comment->bottom, rowAbove(125), 1);
  // Without its label the page count starts 50 from where the label would.
  auto pages = differenceBox(empty, drawSheet("JRCSCPAGES=H", resources), kWidth);
  ASSERT_TRUE(pages);
  EXPECT_GE(pages->left, 89);
  EXPECT_LE(pages->left, 92);
}

TEST(CoverSheetLayout, AbsentOptionsDrawNothingAndEmptyOnesNothingToo) {
  auto plain = drawSheet("JRENCODINGSTR=German");
  EXPECT_EQ(plain, drawSheet("JRENCODINGSTR=German JRCSNAME='' JRCSCPAGES=''"));
  EXPECT_EQ(plain, drawSheet("JRENCODINGSTR=German UNKNOWN=x"));
}
