// The IPP job attributes that reach the filter as options of their own
// name, because CUPS does not turn them into the queue's PPD options, or
// the queue's PPD predates the keywords that make it: the held job with a
// PIN, finishings, resolution, colour mode, tray and media type.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "argument_store.h"
#include "printer_choices.h"

// IPP finishings values and the PPD choices they stand for, as the PPD's
// cupsIPPFinishings lines give them to CUPS.
struct FinishingChoice {
  int finishing;
  std::string_view option;
  std::string_view choice;
};
extern const std::span<const FinishingChoice> kFinishingChoices;

// The PIN lengths the printer's panel takes (the PPD's JRHOLDKEY passcode).
inline constexpr size_t kShortestPin = 4;
inline constexpr size_t kLongestPin = 8;

// A job that asks for a PIN (job-password) becomes a private held job
// under it. Gives why, without the PIN, when the job asks for a PIN that
// the printer cannot hold it under: such a job must not print at all.
std::optional<std::string> holdUnderJobPassword(argumentStore& options);

// The PPD options that a job's other attributes stand for, for a client
// other than macOS. A PPD option the job gives itself stays, except that
// printer-resolution, the most exact, wins over a Resolution that a
// print-quality preset brought. Trays, media types and output bins are
// matched to the printer's choices by the printer's names of them (see
// PrinterChoices::isCalled); without a printer they are left out.
void mapJobAttributes(argumentStore& options, const PrinterChoices* printer);
