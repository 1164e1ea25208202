// The printer-setting vocabulary of the PJL block as data: which option
// values yield which lines. Adding a keyword is adding its row.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "option_keys.h"

// A line appended when the option holds value. Patterns take values as
// formatPJLLine does.
struct valueLine {
  std::string_view value;
  std::string_view line;
};

// A printer setting read from one option: the lines of its listed values
// and, for a setting that copies its value, the line for any other value
// ("%s" takes the value; empty when other values yield nothing).
struct settingRule {
  std::string_view key;
  std::span<const valueLine> lines;
  std::string_view otherValueLine;
};

inline constexpr std::string_view kJobInfoLine = "@PJL QJOBINFO USERID = %q HOSTID = %q\n";
inline constexpr std::string_view kJobNameLine = "@PJL JOB NAME = %q\n";
inline constexpr std::string_view kQuantityLine = "@PJL SET QTY = %s\n";
inline constexpr std::string_view kUserNameLine = "@PJL SET USERNAME = %q\n";
inline constexpr std::string_view kDuplicateHeldJobsLine = "@PJL SET QDUPLICATEHELDJOBS = SAVE\n";

// The printer's own size and the named paper sizes, which the form job
// ticket carries: no PJL line.
inline constexpr std::string_view kNamedMediaSizes[] = {
    kPrinterSetting, "A3",        "A4",    "A5",        "B4",        "B5",     "Letter",
    "Legal",         "Executive", "Folio", "Statement", "Universal", "OthEnv", "Monarch",
    "Comm10",        "DL",        "C4",    "C5",        "ISOB5",     "11x17",
};

// A media value may carry its custom size after this marker.
inline constexpr std::string_view kCustomMediaMarker = "Custom.";

inline constexpr std::string_view kCustomPaperUnitsLine = "@PJL SET QCUSTOMPAPERUNITS = INCHES\n";
inline constexpr std::string_view kCustomPaperWidthLine = "@PJL SET QCUSTOMPAPERWIDTH = %s\n";
inline constexpr std::string_view kCustomPaperHeightLine = "@PJL SET QCUSTOMPAPERHEIGHT = %s\n";

inline constexpr valueLine kOrientationLines[] = {
    {"2", "@PJL SET QIMAGEORIENTATION = ROTATEPAPER\n"},
};

// Toner darkness 6 to 10 are densities 1 to 5; other values are copied.
inline constexpr valueLine kDensityLines[] = {
    {"6", "@PJL SET DENSITY = 1\n"},  {"7", "@PJL SET DENSITY = 2\n"},
    {"8", "@PJL SET DENSITY = 3\n"},  {"9", "@PJL SET DENSITY = 4\n"},
    {"10", "@PJL SET DENSITY = 5\n"},
};

inline constexpr valueLine kPictureGradeLines[] = {
    {"TrueM", "@PJL SET QPICTUREGRADE = ON\n"},
    {"FalseM", "@PJL SET QPICTUREGRADE = OFF\n"},
};

inline constexpr valueLine kSeparatorSheetLines[] = {
    {"Jobs", "@PJL SET QSEPARATORSHEETS = BETWEENJOBS\n"},
    {"Copies", "@PJL SET QSEPARATORSHEETS = BETWEENCOPIES\n"},
    {"Pages", "@PJL SET QSEPARATORSHEETS = BETWEENPAGES\n"},
    {"None", "@PJL SET QSEPARATORSHEETS = NONE\n"},
    {"NoneF", "@PJL SET QSEPARATORSHEETS = NONE\n"},
};

inline constexpr valueLine kSeparatorSourceLines[] = {
    {"Tray1", "@PJL SET QSEPARATORSOURCE = TRAY1\n"},
    {"Tray2", "@PJL SET QSEPARATORSOURCE = TRAY2\n"},
    {"Tray3", "@PJL SET QSEPARATORSOURCE = TRAY3\n"},
    {"Tray4", "@PJL SET QSEPARATORSOURCE = TRAY4\n"},
    {"Tray5", "@PJL SET QSEPARATORSOURCE = TRAY5\n"},
    {"MultipurposeFeeder", "@PJL SET QSEPARATORSOURCE = MPFEEDER\n"},
    {"EnvFeeder", "@PJL SET QSEPARATORSOURCE = FEEDER\n"},
};

inline constexpr valueLine kJobOffsetLines[] = {
    {"Jobs", "@PJL SET JOBOFFSET = BETWEENJOBS\n"},
    {"Copies", "@PJL SET JOBOFFSET = BETWEENCOPIES\n"},
    {"None", "@PJL SET JOBOFFSET = NONE\n"},
};

inline constexpr valueLine kMediaColorLines[] = {
    {"Manual", "@PJL SET QCOLORCORRECTION = MANUAL\n"},
    {"FalseM", "@PJL SET QCOLORCORRECTION = OFF\n"},
    {"Auto", "@PJL SET QCOLORCORRECTION = AUTO\n"},
};

inline constexpr valueLine kGrayCorrectionLines[] = {
    {"FalseM", "@PJL SET QCOLORCORRECTION = OFF\n"},
    {"Auto", "@PJL SET QCOLORCORRECTION = AUTO\n"},
};

inline constexpr valueLine kRgbImageLines[] = {
    {"Vivid", "@PJL SET QMANUALCOLORRGBIMAGE = VIVID\n"},
    {"sRGBVivid", "@PJL SET QMANUALCOLORRGBIMAGE = SRGBVIVID\n"},
    {"sRGBDisplay", "@PJL SET QMANUALCOLORRGBIMAGE = SRGBDISPLAY\n"},
    {"DisplayRealBlack", "@PJL SET QMANUALCOLORRGBIMAGE = DISPLAYREALBLACK\n"},
    {"Off", "@PJL SET QMANUALCOLORRGBIMAGE = OFF\n"},
};

inline constexpr valueLine kRgbTextLines[] = {
    {"Vivid", "@PJL SET QMANUALCOLORRGBTEXT = VIVID\n"},
    {"sRGBVivid", "@PJL SET QMANUALCOLORRGBTEXT = SRGBVIVID\n"},
    {"sRGBDisplay", "@PJL SET QMANUALCOLORRGBTEXT = SRGBDISPLAY\n"},
    {"DisplayRealBlack", "@PJL SET QMANUALCOLORRGBTEXT = DISPLAYREALBLACK\n"},
    {"Off", "@PJL SET QMANUALCOLORRGBTEXT = OFF\n"},
};

inline constexpr valueLine kRgbGraphicsLines[] = {
    {"Vivid", "@PJL SET QMANUALCOLORRGBGRAPHICS = VIVID\n"},
    {"sRGBVivid", "@PJL SET QMANUALCOLORRGBGRAPHICS = SRGBVIVID\n"},
    {"sRGBDisplay", "@PJL SET QMANUALCOLORRGBGRAPHICS = SRGBDISPLAY\n"},
    {"DisplayRealBlack", "@PJL SET QMANUALCOLORRGBGRAPHICS = DISPLAYREALBLACK\n"},
    {"Off", "@PJL SET QMANUALCOLORRGBGRAPHICS = OFF\n"},
};

// One CMYK choice sets image, text and graphics, in that order.
inline constexpr valueLine kCmykLines[] = {
    {"VividCMYK", "@PJL SET QMANUALCOLORCMYKIMAGE = VIVIDCMYK\n"},
    {"VividCMYK", "@PJL SET QMANUALCOLORCMYKTEXT = VIVIDCMYK\n"},
    {"VividCMYK", "@PJL SET QMANUALCOLORCMYKGRAPHICS = VIVIDCMYK\n"},
    {"EuroCMYK", "@PJL SET QMANUALCOLORCMYKIMAGE = EURO\n"},
    {"EuroCMYK", "@PJL SET QMANUALCOLORCMYKTEXT = EURO\n"},
    {"EuroCMYK", "@PJL SET QMANUALCOLORCMYKGRAPHICS = EURO\n"},
    {"USCMYK", "@PJL SET QMANUALCOLORCMYKIMAGE = SWOP\n"},
    {"USCMYK", "@PJL SET QMANUALCOLORCMYKTEXT = SWOP\n"},
    {"USCMYK", "@PJL SET QMANUALCOLORCMYKGRAPHICS = SWOP\n"},
    {"Off", "@PJL SET QMANUALCOLORCMYKIMAGE = OFF\n"},
    {"Off", "@PJL SET QMANUALCOLORCMYKTEXT = OFF\n"},
    {"Off", "@PJL SET QMANUALCOLORCMYKGRAPHICS = OFF\n"},
};

inline constexpr valueLine kColorSaverLines[] = {
    {"TrueM", "@PJL SET QCOLORSAVER = ON\n"},
    {"FalseM", "@PJL SET QCOLORSAVER = OFF\n"},
};

inline constexpr valueLine kColorModelLines[] = {
    {"TrueM", "@PJL SET QCOLORMODEL = BLACK\n"},
    {"FalseM", "@PJL SET QCOLORMODEL = CMYK\n"},
};

inline constexpr valueLine kBlankPageLines[] = {
    {"true", "@PJL SET QBLANKPAGES = PRINT\n"},
    {"false", "@PJL SET QBLANKPAGES = DONOTPRINT\n"},
};

inline constexpr valueLine kImageSmoothingLines[] = {
    {"TrueF", "@PJL SET QIMAGESMOOTHING = ON\n"},
    {"FalseF", "@PJL SET QIMAGESMOOTHING = OFF\n"},
};

inline constexpr valueLine kLineDetailLines[] = {
    {"TrueF", "@PJL SET QLINEDETAIL = ON\n"},
    {"FalseF", "@PJL SET QLINEDETAIL = OFF\n"},
};

// The settings between the custom paper size and the user name, in order.
inline constexpr settingRule kSettingsBeforeUser[] = {
    {kOrientationKey, kOrientationLines, {}},
    {kTonerDarknessKey, kDensityLines, "@PJL SET DENSITY = %s\n"},
    {kPictureGradeKey, kPictureGradeLines, {}},
    {kSeparatorPagesKey, kSeparatorSheetLines, {}},
    {kSeparatorSourceKey, kSeparatorSourceLines, {}},
    {kJobOffsetKey, kJobOffsetLines, {}},
};

// The settings after the user name and held-job lines, in order.
inline constexpr settingRule kSettingsAfterUser[] = {
    {kCyanBalanceKey, {}, "@PJL SET QCOLORBALANCECYAN = %s\n"},
    {kMagentaBalanceKey, {}, "@PJL SET QCOLORBALANCEMAGENTA = %s\n"},
    {kYellowBalanceKey, {}, "@PJL SET QCOLORBALANCEYELLOW = %s\n"},
    {kBlackBalanceKey, {}, "@PJL SET QCOLORBALANCEBLACK = %s\n"},
    {kMediaColorKey, kMediaColorLines, {}},
    {kGrayCorrectionKey, kGrayCorrectionLines, {}},
    {kManualRgbImageKey, kRgbImageLines, {}},
    {kManualRgbTextKey, kRgbTextLines, {}},
    {kManualRgbGraphicsKey, kRgbGraphicsLines, {}},
    {kManualCmykKey, kCmykLines, {}},
    {kColorSaverKey, kColorSaverLines, {}},
    {kBlackOnlyKey, kColorModelLines, {}},
    {kBlankPageKey, kBlankPageLines, {}},
    {kBrightnessKey, {}, "@PJL SET QIMAGEBRIGHTNESS = %s\n"},
    {kContrastKey, {}, "@PJL SET QIMAGECONTRAST = %s\n"},
    {kSaturationKey, {}, "@PJL SET QIMAGESATURATION = %s\n"},
    {kImageSmoothingKey, kImageSmoothingLines, {}},
    {kLineDetailKey, kLineDetailLines, {}},
};

// Held-job routing by PrintTo value; "%q" takes the job's hold key.
inline constexpr valueLine kRoutingLines[] = {
    {kPrintConfidential, "@PJL SET HOLD = ON\n"},
    {kPrintConfidential, "@PJL SET HOLDTYPE = PRIVATE\n"},
    {kPrintConfidential, "@PJL SET HOLDKEY = %q\n"},
    {"JRRepeat", "@PJL SET HOLD = ON\n"},
    {"JRRepeat", "@PJL SET HOLDTYPE = PUBLIC\n"},
    {"JRReserve", "@PJL SET HOLD = STORE\n"},
    {"JRReserve", "@PJL SET HOLDTYPE = PUBLIC\n"},
    {"JRVerify", "@PJL SET HOLD = PROOF\n"},
    {"JRVerify", "@PJL SET HOLDTYPE = PUBLIC\n"},
};

// Any other routing value prints the job at once.
inline constexpr std::string_view kNoHoldLine = "@PJL SET HOLD = OFF\n";

inline constexpr valueLine kPaperSourceLines[] = {
    {"MultipurposeFeeder", "@PJL SET QPAPERSOURCE = MPFEEDER\n"},
    {"ManualPaper", "@PJL SET QPAPERSOURCE = MANUALPAPER\n"},
    {"ManualEnv", "@PJL SET QPAPERSOURCE = MANUALENVELOPE\n"},
    {"EnvFeeder", "@PJL SET QPAPERSOURCE = FEEDER\n"},
    {"Tray5", "@PJL SET QPAPERSOURCE = TRAY5\n"},
    {"Tray4", "@PJL SET QPAPERSOURCE = TRAY4\n"},
    {"Tray3", "@PJL SET QPAPERSOURCE = TRAY3\n"},
    {"Tray2", "@PJL SET QPAPERSOURCE = TRAY2\n"},
    {"Tray1", "@PJL SET QPAPERSOURCE = TRAY1\n"},
};

inline constexpr std::string_view kRoutingError = "ERROR: Job Routing value\n";
inline constexpr std::string_view kCustomMediaError = "ERROR: custom media size value\n";

// The lines of table listed for value, in table order.
inline std::vector<std::string_view> linesFor(std::span<const valueLine> table,
                                              std::string_view value) {
  std::vector<std::string_view> lines;
  for (const valueLine& row : table)
    if (row.value == value) lines.push_back(row.line);
  return lines;
}
