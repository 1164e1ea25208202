// The printer family's choices as the printer application offers them:
// each IPP keyword with the PPD choice it stands for, so that a job from
// the application reaches the PJL block and the ticket as a job from a CUPS
// queue with the family's PPD does, and the PPD's label for its web pages.
// The PPD holds the same choices and labels; a test keeps the two in step.
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

// A tray: its PPD choice (InputSlot), the IPP keyword (media-source) the
// application offers it under, and the PPD's label of it.
struct FamilyTray {
  std::string_view ppd;
  std::string_view keyword;
  std::string_view label;
};

// A media type or output bin: its PPD choice and the PPD's label of it. The
// application offers it under CUPS's name of the choice (pwgNameOf).
struct LabelledChoice {
  std::string_view ppd;
  std::string_view label;
};

// The trays, media types and output bins in the PPD's order, but for the
// printer's own setting, and the printer's resolutions (dots per inch).
std::span<const FamilyTray> familyTrays();
std::span<const LabelledChoice> familyMediaTypes();
std::span<const LabelledChoice> familyOutputBins();
std::span<const int> familyResolutions();

// The tray that an IPP keyword names, in any case: by its keyword, or by
// the one the application offered it under before, CUPS's name of its PPD
// choice ("manual-paper"), which clients and kept printer states may still
// use. Null for any other name.
const FamilyTray* familyTrayNamed(std::string_view name);

// The choices of an option in the PPD's order, the printer's own setting
// (kPrinterSetting) first where the option has it; a tray by its keyword
// or old name (familyTrayNamed); a paper size's PPD name.
class FamilyChoices : public PrinterChoices {
 public:
  std::vector<std::string> choicesOf(std::string_view keyword) const override;
  bool isCalled(std::string_view choice, PwgChoiceKind kind, std::string_view name) const override;
  std::optional<std::string> paperSizeFor(std::string_view media) const override;
};
