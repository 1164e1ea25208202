// The printer family's choices as the printer application offers them:
// each IPP keyword with the PPD choice it stands for, so that a job from
// the application reaches the PJL block and the ticket as a job from a CUPS
// queue with the family's PPD does. The PPD holds the same choices; a test
// keeps the two in step.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "printer_choices.h"

// A paper size: its PWG name, the PPD's name for it and its size in points.
struct FamilyPaper {
  std::string_view pwg;
  std::string_view ppd;
  int width;
  int height;
};

// The named sizes, and the smallest and largest custom size in points.
std::span<const FamilyPaper> familyPapers();
// The named size that a size in points is, within a point; null if none.
const FamilyPaper* familyPaperOfSize(double width, double height);
inline constexpr int kCustomMinWidth = 216, kCustomMinHeight = 360;
inline constexpr int kCustomMaxWidth = 612, kCustomMaxHeight = 1224;

// The PPD choices of the trays, media types and output bins after the
// printer's own setting, and the printer's resolutions (dots per inch).
std::span<const std::string_view> familyInputSlots();
std::span<const std::string_view> familyMediaTypes();
std::span<const std::string_view> familyOutputBins();
std::span<const int> familyResolutions();

// The choices of an option in the PPD's order, the printer's own setting
// (kPrinterSetting) first where the option has it; a paper size's PPD name.
class FamilyChoices : public PrinterChoices {
 public:
  std::vector<std::string> choicesOf(std::string_view keyword) const override;
  std::optional<std::string> paperSizeFor(std::string_view media) const override;
};
