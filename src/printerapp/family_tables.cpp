#include "family_tables.h"

#include <array>
#include <charconv>
#include <cmath>

#include "cups_library.h"
#include "option_keys.h"
#include "string_additions.h"

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

// Each tray under an IPP registry keyword that CUPS keeps in the queues it
// makes ("lpadmin -m everywhere") and that phones know; CUPS drops a tray
// under any other name. The registry has no manual envelope feed:
// "alternate" (an alternate feeder) is the one left that claims no place
// ("rear", "side", ...) or medium ("photo", "disc", ...) the slot lacks,
// "envelope" being the envelope feeder's.
constexpr std::array<FamilyTray, 9> kTrays{{
    {"Tray1", "tray-1", "Tray 1"},
    {"Tray2", "tray-2", "Tray 2"},
    {"Tray3", "tray-3", "Tray 3"},
    {"Tray4", "tray-4", "Tray 4"},
    {"Tray5", "tray-5", "Tray 5"},
    {"MultipurposeFeeder", "by-pass-tray", "Multipurpose Feeder"},
    {"ManualPaper", "manual", "Manual Paper"},
    {"ManualEnv", "alternate", "Manual Envelope"},
    {"EnvFeeder", "envelope", "Envelope Feeder"},
}};

constexpr std::array<LabelledChoice, 17> kMediaTypes{{
    {"Plain", "Plain Paper"},
    {"Bond", "Bond"},
    {"Transparency", "Transparency"},
    {"Card", "Card Stock"},
    {"Labels", "Labels"},
    {"Letterhead", "Letterhead"},
    {"Preprint", "Preprinted"},
    {"Colored", "Colored Paper"},
    {"Envelope", "Envelope"},
    {"Vinyl", "Vinyl"},
    {"Glossy", "Glossy"},
    {"Custom1", "Custom Type 1"},
    {"Custom2", "Custom Type 2"},
    {"Custom3", "Custom Type 3"},
    {"Custom4", "Custom Type 4"},
    {"Custom5", "Custom Type 5"},
    {"Custom6", "Custom Type 6"},
}};

constexpr std::array<LabelledChoice, 14> kOutputBins{{
    {"StandardBin", "Standard Bin"},
    {"2ndExitBin", "Second Exit Bin"},
    {"Bin1", "Bin 1"},
    {"Bin2", "Bin 2"},
    {"Bin3", "Bin 3"},
    {"Bin4", "Bin 4"},
    {"Bin5", "Bin 5"},
    {"Bin6", "Bin 6"},
    {"Bin7", "Bin 7"},
    {"Bin8", "Bin 8"},
    {"Bin9", "Bin 9"},
    {"Bin10", "Bin 10"},
    {"FinisherBin1", "Finisher Bin 1"},
    {"FinisherBin2", "Finisher Bin 2"},
}};

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

// The PPD choices of rows after the printer's own setting.
template <typename Row>
std::vector<std::string> withPrinterSetting(std::span<const Row> rows) {
  std::vector<std::string> all{std::string(kPrinterSetting)};
  for (const Row& row : rows) all.emplace_back(row.ppd);
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
std::span<const FamilyTray> familyTrays() { return kTrays; }
std::span<const LabelledChoice> familyMediaTypes() { return kMediaTypes; }
std::span<const LabelledChoice> familyOutputBins() { return kOutputBins; }
std::span<const int> familyResolutions() { return kResolutions; }

const FamilyTray* familyTrayNamed(std::string_view name) {
  for (const FamilyTray& tray : kTrays)
    if (equalsIgnoringCase(tray.keyword, name) ||
        equalsIgnoringCase(pwgNameOf(tray.ppd, PwgChoiceKind::mediaSource), name))
      return &tray;
  return nullptr;
}

std::vector<std::string> FamilyChoices::choicesOf(std::string_view keyword) const {
  if (keyword == kInputSlotKey) return withPrinterSetting(familyTrays());
  if (keyword == kMediaTypeKey) return withPrinterSetting(familyMediaTypes());
  if (keyword == kOutputBinKey) return withPrinterSetting(familyOutputBins());
  return {};
}

bool FamilyChoices::isCalled(std::string_view choice, PwgChoiceKind kind, std::string_view name) const {
  if (kind != PwgChoiceKind::mediaSource) return PrinterChoices::isCalled(choice, kind, name);
  const FamilyTray* tray = familyTrayNamed(name);
  return tray && tray->ppd == choice;
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
