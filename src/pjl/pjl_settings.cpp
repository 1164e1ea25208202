// The printer-setting lines of a job's options.
#include <algorithm>

#include "pjl_commands.h"
#include "pjl_tables.h"

namespace {

// The size text of a custom media value: the whole value, or what follows
// its one "Custom." marker; nothing when the marker comes more than once.
std::optional<std::string_view> customSizeText(std::string_view media) {
  const size_t marker = media.find(kCustomMediaMarker);
  if (marker == std::string_view::npos) return media;
  const std::string_view size = media.substr(marker + kCustomMediaMarker.size());
  if (size.find(kCustomMediaMarker) != std::string_view::npos) return std::nullopt;
  return size;
}

// True when media names a paper size that the form job ticket carries.
bool isNamedMediaSize(std::string_view media) {
  return std::ranges::find(kNamedMediaSizes, media) != std::end(kNamedMediaSizes);
}

}  // namespace

void pjlCommands::setCommonPJLCommands() {
  setMediaSize();
  for (const settingRule& rule : kSettingsBeforeUser) applySettingRule(rule);
  setUserAndRouting();
  for (const settingRule& rule : kSettingsAfterUser) applySettingRule(rule);
  appendLine(kDuplicateHeldJobsLine);
}

// Appends the custom paper lines of the media option, unless it is absent
// or a named size.
void pjlCommands::setMediaSize() {
  const std::string* media = ticketData->getValue(kMediaKey);
  if (!media || isNamedMediaSize(*media)) return;
  setCustomPaper(customSizeText(*media));
}

// Appends the USERNAME line and, for a held job, its routing lines. A job
// printed at once names its owner; a held job the user its PIN belongs to,
// under which it waits at the printer's panel. Either falls back on the
// client's accounting user, then on the user of the command line.
void pjlCommands::setUserAndRouting() {
  const std::string* printTo = ticketData->getValue(kPrintToKey);
  const bool held = printTo && *printTo != kPrintDirectly;
  const std::string* named = ticketData->getValue(held ? kHeldUserKey : kJobOwnerKey);
  if (!named) named = ticketData->getValue(kAccountingUserKey);
  appendLine(kUserNameLine, {named ? std::string_view(*named) : std::string_view(currentUser)});
  if (held) setJobRouting(*printTo);
}

// Appends the lines of one setting: those listed for the option's value,
// or the value copied into the rule's line when none is listed and the rule
// copies. An absent option and kPrinterSetting leave the printer's own setting.
void pjlCommands::applySettingRule(const settingRule& rule) {
  const std::string* value = ticketData->getValue(rule.key);
  if (!value || *value == kPrinterSetting) return;
  const std::vector<std::string_view> lines = linesFor(rule.lines, *value);
  for (std::string_view line : lines) appendLine(line);
  if (lines.empty() && !rule.otherValueLine.empty()) appendLine(rule.otherValueLine, {*value});
}
