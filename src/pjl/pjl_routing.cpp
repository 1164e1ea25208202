// Held-job routing, custom paper size and paper source lines.
#include <cmath>

#include "pjl_commands.h"
#include "pjl_number.h"
#include "pjl_tables.h"

namespace {

// A length in points (leading number of text) in inches.
float inchesOf(std::string_view points) { return readLeadingNumber(points) / 72.0f; }

}  // namespace

void pjlCommands::setJobRouting(std::optional<std::string_view> ticketValue) {
  if (!ticketValue) {
    reportError(kRoutingError);
    return;
  }
  const std::string* holdKey = ticketData->getValue(kHoldKeyKey);
  const std::vector<std::string_view> lines = linesFor(kRoutingLines, *ticketValue);
  if (lines.empty()) appendLine(kNoHoldLine);
  for (std::string_view line : lines)
    appendLine(line, {holdKey ? std::string_view(*holdKey) : std::string_view()});
}

void pjlCommands::setCustomPaper(std::optional<std::string_view> ticketValue) {
  const size_t separator = ticketValue ? ticketValue->find('x') : std::string_view::npos;
  if (separator == std::string_view::npos) {
    reportError(kCustomMediaError);
    return;
  }
  const std::string_view width = ticketValue->substr(0, separator);
  std::string_view height = ticketValue->substr(separator + 1);
  height = height.substr(0, height.find('x'));
  const float widthInches = inchesOf(width);
  const float heightInches = inchesOf(height);
  // A size beyond the float range would reach the printer as "inf".
  if (!std::isfinite(widthInches) || !std::isfinite(heightInches)) {
    reportError(kCustomMediaError);
    return;
  }
  appendLine(kCustomPaperUnitsLine);
  appendLine(kCustomPaperWidthLine, {formatTwoDecimals(widthInches)});
  appendLine(kCustomPaperHeightLine, {formatTwoDecimals(heightInches)});
}

void pjlCommands::setPaperSource(std::optional<std::string_view> ticketValue) {
  if (!ticketValue) return;
  for (std::string_view line : linesFor(kPaperSourceLines, *ticketValue)) appendLine(line);
}
