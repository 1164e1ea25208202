#include "family_tables.h"

#include <array>
#include <charconv>
#include <cmath>

#include "cups_library.h"
#include "option_keys.h"

namespace {

constexpr std::array<FamilyPaper, 17> kPapers{{
    {"iso_a3_297x420mm", "A3", 842, 1191},
    {"iso_a4_210x297mm", "A4", 595, 842},
    {"iso_a5_148x210mm", "A5", 420, 595},
    {"jis_b4_257x364mm", "B4", 729, 1032},
    {"jis_b5_182x257mm", "B5", 516, 729},
    {"na_letter_8.5x11in", "Letter", 612, 792},
    {"na_legal_8.5x14in", "Legal", 612, 1008},
    {"na_executive_7.25x10.5in", "Executive", 522, 756},
    {"na_foolscap_8.5x13in", "Folio", 612, 936},
    {"na_invoice_5.5x8.5in", "Statement", 396, 612},
    {"na_monarch_3.875x7.5in", "Monarch", 279, 540},
    {"na_number-10_4.125x9.5in", "Comm10", 297, 684},
    {"iso_dl_110x220mm", "DL", 312, 624},
    {"iso_c4_229x324mm", "C4", 649, 918},
    {"iso_c5_162x229mm", "C5", 459, 649},
    {"iso_b5_176x250mm", "ISOB5", 499, 709},
    {"na_ledger_11x17in", "11x17", 792, 1224},
}};

constexpr std::array<std::string_view, 9> kInputSlots{
    "Tray1", "Tray2", "Tray3", "Tray4", "Tray5", "MultipurposeFeeder", "ManualPaper", "ManualEnv",
    "EnvFeeder"};

constexpr std::array<std::string_view, 17> kMediaTypes{
    "Plain",      "Bond",     "Transparency", "Card",    "Labels",  "Letterhead",
    "Preprint",   "Colored",  "Envelope",     "Vinyl",   "Glossy",  "Custom1",
    "Custom2",    "Custom3",  "Custom4",      "Custom5", "Custom6"};

constexpr std::array<std::string_view, 14> kOutputBins{
    "StandardBin", "2ndExitBin", "Bin1", "Bin2", "Bin3", "Bin4", "Bin5",
    "Bin6",        "Bin7",       "Bin8", "Bin9", "Bin10", "FinisherBin1", "FinisherBin2"};

constexpr std::array<int, 3> kResolutions{300, 600, 1200};

// How far (in points) a size may be from one of the family's and still be it.
constexpr double kSizeTolerance = 1.0;

// Points, with two decimals at most, as the custom size text takes them.
std::string pointsText(double points) {
  char text[32];
  auto written = std::to_chars(text, text + sizeof text, std::round(points * 100.0) / 100.0,
                               std::chars_format::fixed, 2);
  return std::string(text, written.ptr);
}

// The PPD choices of keyword after the printer's own setting.
std::vector<std::string> withPrinterSetting(std::span<const std::string_view> choices) {
  std::vector<std::string> all{std::string(kPrinterSetting)};
  all.insert(all.end(), choices.begin(), choices.end());
  return all;
}

}  // namespace

std::span<const FamilyPaper> familyPapers() { return kPapers; }

const FamilyPaper* familyPaperOfSize(double width, double height) {
  for (const FamilyPaper& paper : kPapers)
    if (std::fabs(paper.width - width) <= kSizeTolerance && std::fabs(paper.height - height) <= kSizeTolerance)
      return &paper;
  return nullptr;
}
std::span<const std::string_view> familyInputSlots() { return kInputSlots; }
std::span<const std::string_view> familyMediaTypes() { return kMediaTypes; }
std::span<const std::string_view> familyOutputBins() { return kOutputBins; }
std::span<const int> familyResolutions() { return kResolutions; }

std::vector<std::string> FamilyChoices::choicesOf(std::string_view keyword) const {
  if (keyword == kInputSlotKey) return withPrinterSetting(kInputSlots);
  if (keyword == kMediaTypeKey) return withPrinterSetting(kMediaTypes);
  if (keyword == kOutputBinKey) return withPrinterSetting(kOutputBins);
  return {};
}

// A family size by name, a custom size as it is, else a family size by the
// size a PWG, legacy or PPD name gives.
std::optional<std::string> FamilyChoices::paperSizeFor(std::string_view media) const {
  for (const FamilyPaper& paper : kPapers)
    if (media == paper.ppd || media == paper.pwg) return std::string(paper.ppd);
  if (media.starts_with("Custom.")) return std::string(media);
  const CupsLibrary* cups = cupsLibrary();
  if (!cups) return std::nullopt;
  const std::string name(media);
  pwg_media_t* size = cups->pwgMediaForPWG(name.c_str());
  if (!size) size = cups->pwgMediaForLegacy(name.c_str());
  if (!size) size = cups->pwgMediaForPPD(name.c_str());
  if (!size) return std::nullopt;
  const double width = size->width * 72.0 / 2540.0, height = size->length * 72.0 / 2540.0;
  if (const FamilyPaper* paper = familyPaperOfSize(width, height)) return std::string(paper->ppd);
  return "Custom." + pointsText(width) + "x" + pointsText(height);
}
