#include "family_settings.h"

#include <array>

#include "option_keys.h"
#include "string_additions.h"

namespace {

using Choice = FamilySettingChoice;

constexpr Choice kPrinter{kPrinterSettingKeyword, kPrinterSetting, "Printer Setting"};

constexpr std::array<Choice, 11> kDarkness{{kPrinter,
                                             {"1", "1", "1"},
                                             {"2", "2", "2"},
                                             {"3", "3", "3"},
                                             {"4", "4", "4"},
                                             {"5", "5", "5"},
                                             {"6", "6", "6"},
                                             {"7", "7", "7"},
                                             {"8", "8", "8"},
                                             {"9", "9", "9"},
                                             {"10", "10", "10"}}};
constexpr std::array<Choice, 3> kOnOffM{{kPrinter, {"on", "TrueM", "On"}, {"off", "FalseM", "Off"}}};
constexpr std::array<Choice, 3> kOnOffF{{kPrinter, {"on", "TrueF", "On"}, {"off", "FalseF", "Off"}}};
constexpr std::array<Choice, 3> kBlankPages{
    {kPrinter, {"print", "true", "Print"}, {"skip", "false", "Do Not Print"}}};
constexpr std::array<Choice, 5> kSeparatorPages{{kPrinter,
                                                 {"none", "None", "None"},
                                                 {"jobs", "Jobs", "Between Jobs"},
                                                 {"copies", "Copies", "Between Copies"},
                                                 {"pages", "Pages", "Between Pages"}}};
// Not the trays' media-source keywords: printers' kept defaults and
// administrators' scripts use these, and the web pages show the labels.
constexpr std::array<Choice, 8> kSeparatorSource{{kPrinter,
                                                  {"tray-1", "Tray1", "Tray 1"},
                                                  {"tray-2", "Tray2", "Tray 2"},
                                                  {"tray-3", "Tray3", "Tray 3"},
                                                  {"tray-4", "Tray4", "Tray 4"},
                                                  {"tray-5", "Tray5", "Tray 5"},
                                                  {"by-pass-tray", "MultipurposeFeeder", "Multipurpose Feeder"},
                                                  {"env-feeder", "EnvFeeder", "Envelope Feeder"}}};
constexpr std::array<Choice, 4> kOffset{{kPrinter,
                                         {"none", "None", "None"},
                                         {"jobs", "Jobs", "Between Jobs"},
                                         {"copies", "Copies", "Between Copies"}}};
constexpr std::array<Choice, 4> kColorCorrection{
    {kPrinter, {"auto", "Auto", "Automatic"}, {"manual", "Manual", "Manual"}, {"off", "FalseM", "Off"}}};
constexpr std::array<Choice, 3> kGrayCorrection{{kPrinter, {"auto", "Auto", "Automatic"}, {"off", "FalseM", "Off"}}};
constexpr std::array<Choice, 6> kRgbRendering{{kPrinter,
                                               {"vivid", "Vivid", "Vivid"},
                                               {"srgb-vivid", "sRGBVivid", "sRGB Vivid"},
                                               {"srgb-display", "sRGBDisplay", "sRGB Display"},
                                               {"display-true-black", "DisplayRealBlack", "Display - True Black"},
                                               {"off", "Off", "Off"}}};
constexpr std::array<Choice, 5> kCmykRendering{{kPrinter,
                                                {"vivid-cmyk", "VividCMYK", "Vivid CMYK"},
                                                {"us-cmyk", "USCMYK", "US CMYK (SWOP)"},
                                                {"euro-cmyk", "EuroCMYK", "Euro CMYK"},
                                                {"off", "Off", "Off"}}};
constexpr std::array<Choice, 12> kBalance{{kPrinter,
                                            {"-5", "-5", "-5"},
                                            {"-4", "-4", "-4"},
                                            {"-3", "-3", "-3"},
                                            {"-2", "-2", "-2"},
                                            {"-1", "-1", "-1"},
                                            {"0", "0", "0"},
                                            {"1", "1", "+1"},
                                            {"2", "2", "+2"},
                                            {"3", "3", "+3"},
                                            {"4", "4", "+4"},
                                            {"5", "5", "+5"}}};
// Held-job routing without a PIN. A job sent with a PIN (job-password) is
// a private held job, and is not printed with a routing of its own that
// would show it to others.
constexpr std::array<Choice, 4> kRouting{{{"print-now", kPrintDirectly, "Print Now"},
                                          {"repeat", "JRRepeat", "Repeat"},
                                          {"reserve", "JRReserve", "Reserve"},
                                          {"verify", "JRVerify", "Verify"}}};

constexpr std::array<FamilySetting, 23> kSettings{{
    {"quorlan-toner-darkness", kTonerDarknessKey, "Toner Darkness", kDarkness},
    {"quorlan-color-saver", kColorSaverKey, "Color Saver", kOnOffM},
    {"quorlan-picture-grade", kPictureGradeKey, "PictureGrade", kOnOffM},
    {"quorlan-image-smoothing", kImageSmoothingKey, "Image Smoothing", kOnOffF},
    {"quorlan-line-detail", kLineDetailKey, "Line Detail", kOnOffF},
    {"quorlan-blank-pages", kBlankPageKey, "Blank Pages", kBlankPages},
    {"quorlan-separator-sheets", kSeparatorPagesKey, "Separator Sheets", kSeparatorPages},
    {"quorlan-separator-source", kSeparatorSourceKey, "Separator Source", kSeparatorSource},
    {"quorlan-job-offset", kJobOffsetKey, "Offset Pages", kOffset},
    {"quorlan-held-job", kPrintToKey, "Print and Hold", kRouting},
    {"quorlan-color-correction", kMediaColorKey, "Color Correction", kColorCorrection},
    {"quorlan-gray-correction", kGrayCorrectionKey, "Gray Correction", kGrayCorrection},
    {"quorlan-rgb-image", kManualRgbImageKey, "RGB Image", kRgbRendering},
    {"quorlan-rgb-text", kManualRgbTextKey, "RGB Text", kRgbRendering},
    {"quorlan-rgb-graphics", kManualRgbGraphicsKey, "RGB Graphics", kRgbRendering},
    {"quorlan-cmyk-color", kManualCmykKey, "CMYK Color", kCmykRendering},
    {"quorlan-cyan-balance", kCyanBalanceKey, "Cyan Balance", kBalance},
    {"quorlan-magenta-balance", kMagentaBalanceKey, "Magenta Balance", kBalance},
    {"quorlan-yellow-balance", kYellowBalanceKey, "Yellow Balance", kBalance},
    {"quorlan-black-balance", kBlackBalanceKey, "Black Balance", kBalance},
    {"quorlan-brightness", kBrightnessKey, "Brightness", kBalance},
    {"quorlan-contrast", kContrastKey, "Contrast", kBalance},
    {"quorlan-saturation", kSaturationKey, "Saturation", kBalance},
}};

}  // namespace

std::span<const FamilySetting> familySettings() { return kSettings; }

std::optional<std::string_view> choiceFor(const FamilySetting& setting, std::string_view keyword) {
  for (const FamilySettingChoice& c : setting.choices)
    if (equalsIgnoringCase(c.keyword, keyword)) return c.choice;
  return std::nullopt;
}
