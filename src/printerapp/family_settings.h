// The family's own settings that IPP has no attribute for (toner darkness,
// colour saver, separator sheets, job offset, held-job routing, ...), as
// the printer application's vendor attributes: each a printer default in
// the web interface and a job attribute, with keyword values that stand for
// the PPD's choices, each under the PPD's label in the web pages.
#pragma once

#include <optional>
#include <span>
#include <string_view>

struct FamilySettingChoice {
  std::string_view keyword;  // the IPP value
  std::string_view choice;   // the PPD choice it stands for
  std::string_view label;    // the PPD's label of the choice
};

struct FamilySetting {
  std::string_view attribute;  // the IPP attribute, also "-default" and "-supported"
  std::string_view option;     // the PPD option
  std::string_view label;      // the PPD's label of the option
  std::span<const FamilySettingChoice> choices;
};

// The IPP value that leaves the printer's own setting. A setting's first
// value is its default: this one, but for held-job routing, which prints
// at once unless asked.
inline constexpr std::string_view kPrinterSettingKeyword = "printer-setting";

std::span<const FamilySetting> familySettings();

// The PPD choice that a setting's IPP value, in any case, stands for;
// nothing for an unknown value.
std::optional<std::string_view> choiceFor(const FamilySetting& setting, std::string_view keyword);
