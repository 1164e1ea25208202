#include "ipp_job_attributes.h"

#include <array>
#include <charconv>

#include "option_keys.h"

namespace {

constexpr std::array<FinishingChoice, 7> kFinishings{{
    {4, kStapleJobKey, "TrueM"},   // staple
    {20, kStapleJobKey, "Front"},  // staple-top-left
    {28, kStapleJobKey, "Dual"},   // staple-dual-left
    {5, kHolePunchKey, "TrueM"},   // punch
    {74, kHolePunchKey, "2Hole"},  // punch-dual-left
    {78, kHolePunchKey, "3Hole"},  // punch-triple-left
    {82, kHolePunchKey, "4Hole"},  // punch-quad-left
}};

// The resolutions the printer takes, and the print-quality values (draft,
// normal, high) that stand for them.
constexpr std::array<std::string_view, 3> kResolutions{"300dpi", "600dpi", "1200dpi"};
constexpr std::array<std::string_view, 3> kQualities{"3", "4", "5"};

// print-color-mode values that print in black only.
constexpr std::array<std::string_view, 4> kBlackOnlyModes{"monochrome", "process-monochrome",
                                                          "bi-level", "process-bi-level"};
constexpr std::string_view kBlackOnly = "TrueM";

bool isUsablePin(std::string_view pin) {
  if (pin.size() < kShortestPin || pin.size() > kLongestPin) return false;
  for (char c : pin)
    if (c < '0' || c > '9') return false;
  return true;
}

template <size_t N>
bool isOneOf(const std::array<std::string_view, N>& values, std::string_view value) {
  for (std::string_view v : values)
    if (v == value) return true;
  return false;
}

// Each comma-separated finishings value gives its choice, unless the job
// (or an earlier value) already chose for that option.
void mapFinishings(argumentStore& options) {
  const std::string* finishings = options.getValue(kFinishingsKey);
  if (!finishings) return;
  std::string_view rest = *finishings;
  while (!rest.empty()) {
    const std::string_view item = rest.substr(0, rest.find(','));
    rest.remove_prefix(std::min(rest.size(), item.size() + 1));
    int value = 0;
    auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
    if (error != std::errc() || end != item.data() + item.size()) continue;
    for (const FinishingChoice& row : kFinishings)
      if (row.finishing == value) options.setValueIfAbsent(row.option, row.choice);
  }
}

// "1200dpi" for "1200x1200dpi" or "1200dpi", when the printer has it.
std::optional<std::string_view> resolutionFor(std::string_view resolution) {
  if (!resolution.ends_with("dpi")) return std::nullopt;
  std::string_view numbers = resolution.substr(0, resolution.size() - 3);
  const size_t cross = numbers.find('x');
  if (cross != std::string_view::npos) {
    if (numbers.substr(0, cross) != numbers.substr(cross + 1)) return std::nullopt;
    numbers = numbers.substr(0, cross);
  }
  for (std::string_view known : kResolutions)
    if (known.substr(0, known.size() - 3) == numbers) return known;
  return std::nullopt;
}

// printer-resolution over any Resolution; print-quality only where none is given.
void mapResolution(argumentStore& options) {
  if (const std::string* asked = options.getValue(kPrinterResolutionKey))
    if (std::optional<std::string_view> resolution = resolutionFor(*asked))
      options.setValue(std::string(kResolutionKey), std::string(*resolution));
  if (const std::string* quality = options.getValue(kPrintQualityKey))
    for (size_t i = 0; i < kQualities.size(); ++i)
      if (*quality == kQualities[i]) options.setValueIfAbsent(kResolutionKey, kResolutions[i]);
}

// The printer's choice of ppdKey that the job's ippKey value names.
void mapNamedChoice(argumentStore& options, const PrinterChoices& printer, std::string_view ippKey,
                    std::string_view ppdKey, PwgChoiceKind kind) {
  const std::string* asked = options.getValue(ippKey);
  if (!asked) return;
  for (const std::string& choice : printer.choicesOf(ppdKey))
    if (printer.isCalled(choice, kind, *asked)) {
      options.setValueIfAbsent(ppdKey, choice);
      return;
    }
}

}  // namespace

const std::span<const FinishingChoice> kFinishingChoices(kFinishings);

std::optional<std::string> holdUnderJobPassword(argumentStore& options) {
  const std::string* pin = options.getValue(kJobPasswordKey);
  if (!pin) return std::nullopt;
  const std::string* encryption = options.getValue(kJobPasswordEncryptionKey);
  if (encryption && *encryption != "none")
    return "The job's PIN (job-password) came encrypted; the printer can only hold a job "
           "under the digits themselves. The job was not printed.";
  if (!isUsablePin(*pin))
    return "The job's PIN (job-password) is not 4 to 8 digits, which the printer cannot hold "
           "a job under. The job was not printed.";
  const std::string* printTo = options.getValue(kPrintToKey);
  if (printTo && *printTo != kPrintDirectly && *printTo != kPrintConfidential)
    return "The job asks for a PIN (job-password) and for a held-job routing (PrintTo) that "
           "does not keep it private. The job was not printed.";
  options.setValue(std::string(kPrintToKey), std::string(kPrintConfidential));
  options.setValueIfAbsent(kHoldKeyKey, *pin);
  return std::nullopt;
}

void mapJobAttributes(argumentStore& options, const PrinterChoices* printer) {
  mapFinishings(options);
  mapResolution(options);
  if (const std::string* mode = options.getValue(kPrintColorModeKey))
    if (isOneOf(kBlackOnlyModes, *mode)) options.setValueIfAbsent(kBlackOnlyKey, kBlackOnly);
  if (!printer) return;
  mapNamedChoice(options, *printer, kMediaSourceKey, kInputSlotKey, PwgChoiceKind::mediaSource);
  mapNamedChoice(options, *printer, kMediaTypeAttributeKey, kMediaTypeKey, PwgChoiceKind::mediaType);
  mapNamedChoice(options, *printer, kOutputBinAttributeKey, kOutputBinKey, PwgChoiceKind::outputBin);
}
