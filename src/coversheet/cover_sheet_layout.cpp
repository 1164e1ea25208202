// Where everything on the cover sheet goes, and drawing it. Coordinates are
// pixels from the bottom-left corner.
#include <array>

#include "greyscale_cover_sheet.h"

namespace {

struct placedText {
  std::string_view key;  // label key or option name
  float y;
};

struct rule {
  float y1;
  float y2;
};

constexpr float kInsetLabel = 40.0f;  // title, headings, left end of the rules
constexpr float kRuleEnd = 570.0f;
constexpr float kMeasureSize = 26.0f;  // half its width sets the label column
constexpr float kTitleSize = 26.0f;
constexpr float kHeadingSize = 18.0f;
constexpr float kFieldSize = 12.0f;

constexpr placedText kTitle{"Facsimile Transmission Form", 700.0f};
constexpr placedText kPagesLabel{"Pages to Follow:", 630.0f};
constexpr float kPageCountGap = 50.0f;

constexpr std::array<placedText, 3> kHeadings{{
    {"From:", 450.0f}, {"To:", 570.0f}, {"Comments:", 195.0f}}};

constexpr std::array<placedText, 8> kFieldLabels{{
    {"Name:", 540.0f},    {"Name:", 420.0f},    {"Voice #:", 510.0f}, {"Voice #:", 285.0f},
    {"Company:", 390.0f}, {"Address:", 360.0f}, {"Fax #:", 315.0f},   {"Email:", 255.0f}}};

constexpr std::array<placedText, 15> kEnteredTexts{{
    {"JRJOBNAME", 540.0f},   {"JRCSNAME", 420.0f},    {"JRCSRECVOICE", 510.0f},
    {"JRCSSENDVOICE", 285.0f}, {"JRCSCOMPANY", 390.0f}, {"JRCSADDR1", 360.0f},
    {"JRCSADDR2", 345.0f},   {"JRCSSENDFAX", 315.0f}, {"JRCSEMAIL", 255.0f},
    {"JRCSCOMMNTA", 165.0f}, {"JRCSCOMMNTB", 145.0f}, {"JRCSCOMMNTC", 125.0f},
    {"JRCSCOMMNTD", 105.0f}, {"JRCSCOMMNTE", 85.0f},  {"JRCSCOMMNTF", 65.0f}}};

constexpr std::array<rule, 5> kRules{{
    {685.0f, 683.0f},  // under the title
    {620.0f, 619.0f},  // under the page count
    {495.0f, 494.0f},  // between the "To" and "From" blocks
    {240.0f, 239.0f},  // above "Comments:"
    {27.0f, 25.0f},    // foot of the sheet
}};

}  // namespace

void greyscaleCoverSheet::selectFont(sheetPlace place, float size) {
  canvas->selectFont(infoForCoverSheetValue(place), size);
}

// Shows the translation of key at `at`; an untranslated label shows nothing
// but still moves the text position there.
void greyscaleCoverSheet::showLabelAt(std::string_view key, textPoint at) {
  const std::string* label = strings->getValue(key);
  canvas->showTextAtPoint(at, label ? std::string_view(*label) : std::string_view());
}

void greyscaleCoverSheet::createImageWith(const argumentStore& mStoreDict) {
  if (!canvas) return;
  selectFont(sheetPlace::label, kMeasureSize);
  float longestStringSize = scanTextForLargest() / 2;
  // Single precision as in the layout's original arithmetic, with the last
  // step of each sum taken in double.
  float enteredText = static_cast<float>(static_cast<double>(longestStringSize + kInsetLabel) + 30.0);
  canvas->setFillGrey(0, 1);

  selectFont(sheetPlace::title, kTitleSize);
  showLabelAt(kTitle.key, {kInsetLabel, kTitle.y});

  selectFont(sheetPlace::heading, kHeadingSize);
  showLabelAt(kPagesLabel.key, {kInsetLabel, kPagesLabel.y});
  moveTextPositionBy({kPageCountGap, 0});
  if (const std::string* pages = mStoreDict.getValue("JRCSCPAGES")) canvas->showText(*pages);
  for (const placedText& heading : kHeadings) showLabelAt(heading.key, {kInsetLabel, heading.y});

  selectFont(sheetPlace::label, kFieldSize);
  for (const placedText& label : kFieldLabels) {
    float width = getTextPixelWidth(strings->getValue(label.key));
    float x = static_cast<float>(static_cast<double>(longestStringSize - width) + 60.0);
    showLabelAt(label.key, {x, label.y});
  }
  for (const placedText& entered : kEnteredTexts)
    if (const std::string* value = mStoreDict.getValue(entered.key))
      canvas->showTextAtPoint({enteredText, entered.y}, encodeWithString(*value));

  for (const rule& r : kRules) {
    std::array<textPoint, 4> corners{{
        {kInsetLabel, r.y1}, {kInsetLabel, r.y2}, {kRuleEnd, r.y2}, {kRuleEnd, r.y1}}};
    canvas->fillPath(corners);
  }
}
