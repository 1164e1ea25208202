#include "family_settings.h"

#include <array>

#include "option_keys.h"
#include "string_additions.h"

namespace {

using Choice = FamilySettingChoice;

constexpr Choice kPrinter{kPrinterSettingKeyword, kPrinterSetting};

constexpr std::array<Choice, 11> kDarkness{{kPrinter, {"1", "1"}, {"2", "2"}, {"3", "3"},
                                             {"4", "4"}, {"5", "5"}, {"6", "6"}, {"7", "7"},
                                             {"8", "8"}, {"9", "9"}, {"10", "10"}}};
constexpr std::array<Choice, 3> kOnOffM{{kPrinter, {"on", "TrueM"}, {"off", "FalseM"}}};
constexpr std::array<Choice, 3> kOnOffF{{kPrinter, {"on", "TrueF"}, {"off", "FalseF"}}};
constexpr std::array<Choice, 3> kBlankPages{{kPrinter, {"print", "true"}, {"skip", "false"}}};
constexpr std::array<Choice, 5> kSeparatorPages{
    {kPrinter, {"none", "None"}, {"jobs", "Jobs"}, {"copies", "Copies"}, {"pages", "Pages"}}};
constexpr std::array<Choice, 8> kSeparatorSource{{kPrinter,
                                                  {"tray-1", "Tray1"},
                                                  {"tray-2", "Tray2"},
                                                  {"tray-3", "Tray3"},
                                                  {"tray-4", "Tray4"},
                                                  {"tray-5", "Tray5"},
                                                  {"by-pass-tray", "MultipurposeFeeder"},
                                                  {"env-feeder", "EnvFeeder"}}};
constexpr std::array<Choice, 4> kOffset{
    {kPrinter, {"none", "None"}, {"jobs", "Jobs"}, {"copies", "Copies"}}};
constexpr std::array<Choice, 4> kColorCorrection{
    {kPrinter, {"auto", "Auto"}, {"manual", "Manual"}, {"off", "FalseM"}}};
constexpr std::array<Choice, 3> kGrayCorrection{{kPrinter, {"auto", "Auto"}, {"off", "FalseM"}}};
constexpr std::array<Choice, 6> kRgbRendering{{kPrinter,
                                               {"vivid", "Vivid"},
                                               {"srgb-vivid", "sRGBVivid"},
                                               {"srgb-display", "sRGBDisplay"},
                                               {"display-true-black", "DisplayRealBlack"},
                                               {"off", "Off"}}};
constexpr std::array<Choice, 5> kCmykRendering{{kPrinter,
                                                {"vivid-cmyk", "VividCMYK"},
                                                {"us-cmyk", "USCMYK"},
                                                {"euro-cmyk", "EuroCMYK"},
                                                {"off", "Off"}}};
constexpr std::array<Choice, 12> kBalance{{kPrinter, {"-5", "-5"}, {"-4", "-4"}, {"-3", "-3"},
                                            {"-2", "-2"}, {"-1", "-1"}, {"0", "0"}, {"1", "1"},
                                            {"2", "2"}, {"3", "3"}, {"4", "4"}, {"5", "5"}}};
// Held-job routing without a PIN: a private job needs one, which PAPPL
// 1.3 cannot take from a client without showing it to others.
constexpr std::array<Choice, 4> kRouting{{{"print-now", kPrintDirectly},
                                          {"repeat", "JRRepeat"},
                                          {"reserve", "JRReserve"},
                                          {"verify", "JRVerify"}}};

constexpr std::array<FamilySetting, 23> kSettings{{
    {"quorlan-toner-darkness", kTonerDarknessKey, kDarkness},
    {"quorlan-color-saver", kColorSaverKey, kOnOffM},
    {"quorlan-picture-grade", kPictureGradeKey, kOnOffM},
    {"quorlan-image-smoothing", kImageSmoothingKey, kOnOffF},
    {"quorlan-line-detail", kLineDetailKey, kOnOffF},
    {"quorlan-blank-pages", kBlankPageKey, kBlankPages},
    {"quorlan-separator-sheets", kSeparatorPagesKey, kSeparatorPages},
    {"quorlan-separator-source", kSeparatorSourceKey, kSeparatorSource},
    {"quorlan-job-offset", kJobOffsetKey, kOffset},
    {"quorlan-held-job", kPrintToKey, kRouting},
    {"quorlan-color-correction", kMediaColorKey, kColorCorrection},
    {"quorlan-gray-correction", kGrayCorrectionKey, kGrayCorrection},
    {"quorlan-rgb-image", kManualRgbImageKey, kRgbRendering},
    {"quorlan-rgb-text", kManualRgbTextKey, kRgbRendering},
    {"quorlan-rgb-graphics", kManualRgbGraphicsKey, kRgbRendering},
    {"quorlan-cmyk-color", kManualCmykKey, kCmykRendering},
    {"quorlan-cyan-balance", kCyanBalanceKey, kBalance},
    {"quorlan-magenta-balance", kMagentaBalanceKey, kBalance},
    {"quorlan-yellow-balance", kYellowBalanceKey, kBalance},
    {"quorlan-black-balance", kBlackBalanceKey, kBalance},
    {"quorlan-brightness", kBrightnessKey, kBalance},
    {"quorlan-contrast", kContrastKey, kBalance},
    {"quorlan-saturation", kSaturationKey, kBalance},
}};

}  // namespace

std::span<const FamilySetting> familySettings() { return kSettings; }

std::optional<std::string_view> choiceFor(const FamilySetting& setting, std::string_view keyword) {
  for (const FamilySettingChoice& c : setting.choices)
    if (equalsIgnoringCase(c.keyword, keyword)) return c.choice;
  return std::nullopt;
}
