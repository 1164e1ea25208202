// setCommonPJLCommands: the lines each option yields, as whole blocks.
#include <gtest/gtest.h>

#include "pjl_test_support.h"

namespace {

// The block for one option, printed at once by alice.
Lines blockFor(const std::string& key, const std::string& value) {
  return settingLines({{key, value}});
}

const std::string kOrientationKey = "com.apple.print.PrintSettings.PMOrientation..n.";

const Lines kLetterPaperLines = {
    "@PJL SET QCUSTOMPAPERUNITS = INCHES\n",
    "@PJL SET QCUSTOMPAPERWIDTH = 8.50\n",
    "@PJL SET QCUSTOMPAPERHEIGHT = 11.00\n",
};

}  // namespace

TEST(PjlSettings, EmptyStoreYieldsUserNameAndClosingLineOnly) {
  const SettingRun run = runSettings({});
  EXPECT_EQ(run.lines, aliceBlock({}));
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(settingLines({}, "J\xF6rg"),
            (Lines{"@PJL SET USERNAME = \"J\xF6rg\"\n", kClosingLine}));
}

TEST(PjlSettings, PrinterSettingYieldsNothingExceptForRouting) {
  for (const char* key : {"media",
                          "com.apple.print.PrintSettings.PMOrientation..n.",
                          "TonerDarkness",
                          "PictureGrade",
                          "SepPages",
                          "SepSource",
                          "Offset",
                          "CyanBalance",
                          "MagentaBalance",
                          "YellowBalance",
                          "BlackBalance",
                          "MediaColor",
                          "GrayCorrection",
                          "ManualRGBImage",
                          "ManualRGBText",
                          "ManualRGBGraphics",
                          "ManualCMYK",
                          "ColorSaver",
                          "BLW",
                          "QrlBlankPage",
                          "QrlBrightness",
                          "QrlContrast",
                          "QrlSaturation",
                          "ImageSmoothing",
                          "QrlLineDetail"}) {
    const SettingRun run = runSettings({{key, "PrinterS"}});
    EXPECT_EQ(run.lines, aliceBlock({})) << key;
    EXPECT_EQ(run.errors, "") << key;
  }
  EXPECT_EQ(settingLines({{"PrintTo", "PrinterS"}, {"JRUSERNAME", "bob"}}),
            (Lines{"@PJL SET USERNAME = \"bob\"\n", "@PJL SET HOLD = OFF\n", kClosingLine}));
}

TEST(PjlSettings, ValuesMatchOnlyExactly) {
  for (const auto& [key, value] : Options{{"Offset", "jobs"},
                                          {"Offset", "Jobs "},
                                          {"Offset", " Jobs"},
                                          {"Offset", "NoneF"},
                                          {"PictureGrade", "truem"},
                                          {"PictureGrade", "TRUE"},
                                          {"ColorSaver", "TrueF"},
                                          {"ImageSmoothing", "TrueM"},
                                          {"QrlBlankPage", "True"},
                                          {"QrlBlankPage", "TrueM"},
                                          {"SepSource", "tray1"},
                                          {"SepSource", "ManualPaper"},
                                          {"GrayCorrection", "Manual"},
                                          {"ManualCMYK", "Vivid"},
                                          {"ManualRGBText", "VividCMYK"},
                                          {"BLW", ""}}) {
    EXPECT_EQ(blockFor(key, value), aliceBlock({})) << key << "=" << value;
  }
}

TEST(PjlSettings, EveryRuleInItsFixedOrderWhateverTheOptionOrder) {
  const Options options = {
      {"QrlLineDetail", "FalseF"},
      {"ImageSmoothing", "TrueF"},
      {"QrlSaturation", "4"},
      {"QrlContrast", "-2"},
      {"QrlBrightness", "1"},
      {"QrlBlankPage", "false"},
      {"BLW", "FalseM"},
      {"ColorSaver", "TrueM"},
      {"ManualCMYK", "EuroCMYK"},
      {"ManualRGBGraphics", "Off"},
      {"ManualRGBText", "sRGBDisplay"},
      {"ManualRGBImage", "DisplayRealBlack"},
      {"GrayCorrection", "Auto"},
      {"MediaColor", "Manual"},
      {"BlackBalance", "0"},
      {"YellowBalance", "-1"},
      {"MagentaBalance", "2"},
      {"CyanBalance", "3"},
      {"JRHOLDKEY", "4711"},
      {"JRUSERNAME", "jr"},
      {"com.apple.print.JobInfo.PMJobOwner", "owner"},
      {"PrintTo", "JRConf"},
      {"Offset", "Copies"},
      {"SepSource", "Tray2"},
      {"SepPages", "Pages"},
      {"PictureGrade", "TrueM"},
      {"TonerDarkness", "9"},
      {kOrientationKey, "2"},
      {"media", "Custom.612x792"},
  };
  const SettingRun run = runSettings(options);
  EXPECT_EQ(run.lines, (Lines{
                           "@PJL SET QCUSTOMPAPERUNITS = INCHES\n",
                           "@PJL SET QCUSTOMPAPERWIDTH = 8.50\n",
                           "@PJL SET QCUSTOMPAPERHEIGHT = 11.00\n",
                           "@PJL SET QIMAGEORIENTATION = ROTATEPAPER\n",
                           "@PJL SET DENSITY = 4\n",
                           "@PJL SET QPICTUREGRADE = ON\n",
                           "@PJL SET QSEPARATORSHEETS = BETWEENPAGES\n",
                           "@PJL SET QSEPARATORSOURCE = TRAY2\n",
                           "@PJL SET JOBOFFSET = BETWEENCOPIES\n",
                           "@PJL SET USERNAME = \"jr\"\n",
                           "@PJL SET HOLD = ON\n",
                           "@PJL SET HOLDTYPE = PRIVATE\n",
                           "@PJL SET HOLDKEY = \"4711\"\n",
                           "@PJL SET QCOLORBALANCECYAN = 3\n",
                           "@PJL SET QCOLORBALANCEMAGENTA = 2\n",
                           "@PJL SET QCOLORBALANCEYELLOW = -1\n",
                           "@PJL SET QCOLORBALANCEBLACK = 0\n",
                           "@PJL SET QCOLORCORRECTION = MANUAL\n",
                           "@PJL SET QCOLORCORRECTION = AUTO\n",
                           "@PJL SET QMANUALCOLORRGBIMAGE = DISPLAYREALBLACK\n",
                           "@PJL SET QMANUALCOLORRGBTEXT = SRGBDISPLAY\n",
                           "@PJL SET QMANUALCOLORRGBGRAPHICS = OFF\n",
                           "@PJL SET QMANUALCOLORCMYKIMAGE = EURO\n",
                           "@PJL SET QMANUALCOLORCMYKTEXT = EURO\n",
                           "@PJL SET QMANUALCOLORCMYKGRAPHICS = EURO\n",
                           "@PJL SET QCOLORSAVER = ON\n",
                           "@PJL SET QCOLORMODEL = CMYK\n",
                           "@PJL SET QBLANKPAGES = DONOTPRINT\n",
                           "@PJL SET QIMAGEBRIGHTNESS = 1\n",
                           "@PJL SET QIMAGECONTRAST = -2\n",
                           "@PJL SET QIMAGESATURATION = 4\n",
                           "@PJL SET QIMAGESMOOTHING = ON\n",
                           "@PJL SET QLINEDETAIL = OFF\n",
                           kClosingLine,
                       }));
  EXPECT_EQ(run.errors, "");
}

TEST(PjlSettings, WholeBlockInTheDriversOrder) {
  CapturedStream errors;
  pjlCommands pjl = makeBuilder({{"com.apple.print.JobInfo.PMJobName", "Budget"},
                                 {"com.apple.print.PrintSettings.PMCopies..n.", "2"},
                                 {"TonerDarkness", "3"}},
                                errors);
  pjl.createPJLCommandsBuffer();
  pjl.setPJLJob();
  pjl.setCommonPJLCommands();
  pjl.setQuantity();
  EXPECT_EQ(linesOf(pjl),
            (Lines{"@PJL QJOBINFO USERID = \"alice\" HOSTID = \"" + localHostName() + "\"\n",
                   "@PJL JOB NAME = \"Budget\"\n", "@PJL SET DENSITY = 3\n", kAliceLine,
                   kClosingLine, "@PJL SET QTY = 2\n"}));
}

TEST(PjlMediaSize, NamedSizesYieldNothing) {
  for (const char* name :
       {"A3", "A4", "A5", "B4", "B5", "Letter", "Legal", "Executive", "Folio", "Statement",
        "Universal", "OthEnv", "Monarch", "Comm10", "DL", "C4", "C5", "ISOB5", "11x17"}) {
    const SettingRun run = runSettings({{"media", name}});
    EXPECT_EQ(run.lines, aliceBlock({})) << name;
    EXPECT_EQ(run.errors, "") << name;
  }
}

TEST(PjlMediaSize, CustomSizeWithOrWithoutMarkerComesFirst) {
  for (const char* media : {"Custom.612x792", "612x792", "Tray-Custom.612x792"}) {
    const SettingRun run = runSettings({{"media", media}, {"TonerDarkness", "7"}});
    Lines expected = kLetterPaperLines;
    expected.push_back("@PJL SET DENSITY = 2\n");
    EXPECT_EQ(run.lines, aliceBlock(expected)) << media;
    EXPECT_EQ(run.errors, "") << media;
  }
  // Case matters for the name list too: "a4" is a custom size text.
  EXPECT_EQ(runSettings({{"media", "a4"}}).errors, "ERROR: custom media size value\n");
}

TEST(PjlMediaSize, UnusableSizeReportsAndTheOtherRulesRun) {
  for (const char* media : {"Custom.612x792Custom.", "Custom.Custom.612x792", "Custom.",
                            "Custom.612X792", "A6", "Tabloid", ""}) {
    const SettingRun run = runSettings({{"media", media}, {"TonerDarkness", "7"}});
    EXPECT_EQ(run.lines, aliceBlock({"@PJL SET DENSITY = 2\n"})) << media;
    EXPECT_EQ(run.errors, "ERROR: custom media size value\n") << media;
  }
}

TEST(PjlOrientation, OnlyLandscapeRotates) {
  EXPECT_EQ(blockFor(kOrientationKey, "2"),
            aliceBlock({"@PJL SET QIMAGEORIENTATION = ROTATEPAPER\n"}));
  for (const char* value : {"1", "3", "02", "Landscape", ""})
    EXPECT_EQ(blockFor(kOrientationKey, value), aliceBlock({})) << value;
}

TEST(PjlDensity, DarknessSixToTenMapAndOtherValuesAreCopied) {
  const Options cases = {{"6", "1"},   {"7", "2"}, {"8", "3"},      {"9", "4"},   {"10", "5"},
                         {"1", "1"},   {"3", "3"}, {"5", "5"},      {"11", "11"}, {"06", "06"},
                         {"-1", "-1"}, {"", ""},   {"dark", "dark"}};
  for (const auto& [value, density] : cases)
    EXPECT_EQ(blockFor("TonerDarkness", value),
              aliceBlock({"@PJL SET DENSITY = " + density + "\n"}))
        << value;
  EXPECT_EQ(blockFor("TonerDarkness", "PrinterS"), aliceBlock({}));
}

TEST(PjlOnOffSettings, EachOptionWithItsOwnPairOfValues) {
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"PictureGrade", "TrueM", "@PJL SET QPICTUREGRADE = ON\n"},
      {"PictureGrade", "FalseM", "@PJL SET QPICTUREGRADE = OFF\n"},
      {"ColorSaver", "TrueM", "@PJL SET QCOLORSAVER = ON\n"},
      {"ColorSaver", "FalseM", "@PJL SET QCOLORSAVER = OFF\n"},
      {"BLW", "TrueM", "@PJL SET QCOLORMODEL = BLACK\n"},
      {"BLW", "FalseM", "@PJL SET QCOLORMODEL = CMYK\n"},
      {"QrlBlankPage", "true", "@PJL SET QBLANKPAGES = PRINT\n"},
      {"QrlBlankPage", "false", "@PJL SET QBLANKPAGES = DONOTPRINT\n"},
      {"ImageSmoothing", "TrueF", "@PJL SET QIMAGESMOOTHING = ON\n"},
      {"ImageSmoothing", "FalseF", "@PJL SET QIMAGESMOOTHING = OFF\n"},
      {"QrlLineDetail", "TrueF", "@PJL SET QLINEDETAIL = ON\n"},
      {"QrlLineDetail", "FalseF", "@PJL SET QLINEDETAIL = OFF\n"},
  };
  for (const auto& [key, value, line] : cases) {
    const bool beforeUser = key == "PictureGrade";
    EXPECT_EQ(blockFor(key, value), beforeUser ? aliceBlock({line}) : aliceBlock({}, {line}))
        << key << "=" << value;
  }
}

TEST(PjlSeparators, SheetsSourceAndOffset) {
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"SepPages", "Jobs", "@PJL SET QSEPARATORSHEETS = BETWEENJOBS\n"},
      {"SepPages", "Copies", "@PJL SET QSEPARATORSHEETS = BETWEENCOPIES\n"},
      {"SepPages", "Pages", "@PJL SET QSEPARATORSHEETS = BETWEENPAGES\n"},
      {"SepPages", "None", "@PJL SET QSEPARATORSHEETS = NONE\n"},
      {"SepPages", "NoneF", "@PJL SET QSEPARATORSHEETS = NONE\n"},
      {"SepSource", "Tray1", "@PJL SET QSEPARATORSOURCE = TRAY1\n"},
      {"SepSource", "Tray2", "@PJL SET QSEPARATORSOURCE = TRAY2\n"},
      {"SepSource", "Tray3", "@PJL SET QSEPARATORSOURCE = TRAY3\n"},
      {"SepSource", "Tray4", "@PJL SET QSEPARATORSOURCE = TRAY4\n"},
      {"SepSource", "Tray5", "@PJL SET QSEPARATORSOURCE = TRAY5\n"},
      {"SepSource", "MultipurposeFeeder", "@PJL SET QSEPARATORSOURCE = MPFEEDER\n"},
      {"SepSource", "EnvFeeder", "@PJL SET QSEPARATORSOURCE = FEEDER\n"},
      {"Offset", "Jobs", "@PJL SET JOBOFFSET = BETWEENJOBS\n"},
      {"Offset", "Copies", "@PJL SET JOBOFFSET = BETWEENCOPIES\n"},
      {"Offset", "None", "@PJL SET JOBOFFSET = NONE\n"},
  };
  for (const auto& [key, value, line] : cases)
    EXPECT_EQ(blockFor(key, value), aliceBlock({line})) << key << "=" << value;
  for (const char* value : {"Pages", "NoneF", "Tray1"})
    EXPECT_EQ(blockFor("Offset", value), aliceBlock({})) << value;
}

TEST(PjlColour, CorrectionFromMediaColorThenGrayCorrection) {
  EXPECT_EQ(blockFor("MediaColor", "Manual"),
            aliceBlock({}, {"@PJL SET QCOLORCORRECTION = MANUAL\n"}));
  EXPECT_EQ(blockFor("MediaColor", "FalseM"),
            aliceBlock({}, {"@PJL SET QCOLORCORRECTION = OFF\n"}));
  EXPECT_EQ(blockFor("MediaColor", "Auto"), aliceBlock({}, {"@PJL SET QCOLORCORRECTION = AUTO\n"}));
  EXPECT_EQ(blockFor("GrayCorrection", "FalseM"),
            aliceBlock({}, {"@PJL SET QCOLORCORRECTION = OFF\n"}));
  EXPECT_EQ(blockFor("GrayCorrection", "Auto"),
            aliceBlock({}, {"@PJL SET QCOLORCORRECTION = AUTO\n"}));
  // Both are written, MediaColor's first, whatever the option order.
  EXPECT_EQ(settingLines({{"GrayCorrection", "Auto"}, {"MediaColor", "Manual"}}),
            aliceBlock({}, {"@PJL SET QCOLORCORRECTION = MANUAL\n",
                            "@PJL SET QCOLORCORRECTION = AUTO\n"}));
}

TEST(PjlColour, RgbRenderingPerObjectKind) {
  const Options keywords = {{"Vivid", "VIVID"},
                            {"sRGBVivid", "SRGBVIVID"},
                            {"sRGBDisplay", "SRGBDISPLAY"},
                            {"DisplayRealBlack", "DISPLAYREALBLACK"},
                            {"Off", "OFF"}};
  const Options options = {{"ManualRGBImage", "@PJL SET QMANUALCOLORRGBIMAGE = "},
                           {"ManualRGBText", "@PJL SET QMANUALCOLORRGBTEXT = "},
                           {"ManualRGBGraphics", "@PJL SET QMANUALCOLORRGBGRAPHICS = "}};
  for (const auto& [key, prefix] : options) {
    for (const auto& [value, keyword] : keywords)
      EXPECT_EQ(blockFor(key, value), aliceBlock({}, {prefix + keyword + "\n"}))
          << key << "=" << value;
    EXPECT_EQ(blockFor(key, "vivid"), aliceBlock({})) << key;
  }
  EXPECT_EQ(settingLines({{"ManualRGBGraphics", "Vivid"},
                          {"ManualRGBText", "Off"},
                          {"ManualRGBImage", "sRGBVivid"}}),
            aliceBlock({}, {"@PJL SET QMANUALCOLORRGBIMAGE = SRGBVIVID\n",
                            "@PJL SET QMANUALCOLORRGBTEXT = OFF\n",
                            "@PJL SET QMANUALCOLORRGBGRAPHICS = VIVID\n"}));
}

TEST(PjlColour, CmykRenderingSetsImageTextAndGraphics) {
  const Options keywords = {
      {"VividCMYK", "VIVIDCMYK"}, {"EuroCMYK", "EURO"}, {"USCMYK", "SWOP"}, {"Off", "OFF"}};
  for (const auto& [value, keyword] : keywords)
    EXPECT_EQ(blockFor("ManualCMYK", value),
              aliceBlock({}, {"@PJL SET QMANUALCOLORCMYKIMAGE = " + keyword + "\n",
                              "@PJL SET QMANUALCOLORCMYKTEXT = " + keyword + "\n",
                              "@PJL SET QMANUALCOLORCMYKGRAPHICS = " + keyword + "\n"}))
        << value;
}

TEST(PjlCopiedValues, BalancesAndImageAdjustmentsAreCopiedUnparsed) {
  const Options prefixes = {{"CyanBalance", "@PJL SET QCOLORBALANCECYAN = "},
                            {"MagentaBalance", "@PJL SET QCOLORBALANCEMAGENTA = "},
                            {"YellowBalance", "@PJL SET QCOLORBALANCEYELLOW = "},
                            {"BlackBalance", "@PJL SET QCOLORBALANCEBLACK = "},
                            {"QrlBrightness", "@PJL SET QIMAGEBRIGHTNESS = "},
                            {"QrlContrast", "@PJL SET QIMAGECONTRAST = "},
                            {"QrlSaturation", "@PJL SET QIMAGESATURATION = "}};
  for (const auto& [key, prefix] : prefixes) {
    for (const char* value : {"0", "-3", "+12", "007", "2.5", "high", ""})
      EXPECT_EQ(blockFor(key, value), aliceBlock({}, {prefix + value + "\n"}))
          << key << "=" << value;
    EXPECT_EQ(blockFor(key, "PrinterS"), aliceBlock({})) << key;
  }
}

TEST(PjlUserName, JobPrintedAtOnceNamesOwnerOrCommandLineUser) {
  const std::string owner = "com.apple.print.JobInfo.PMJobOwner";
  EXPECT_EQ(settingLines({{owner, "Ann Lee"}}),
            (Lines{"@PJL SET USERNAME = \"Ann Lee\"\n", kClosingLine}));
  EXPECT_EQ(settingLines({{"PrintTo", "JRPrinter"}, {owner, "ann"}, {"JRUSERNAME", "jr"}}),
            (Lines{"@PJL SET USERNAME = \"ann\"\n", kClosingLine}));
  EXPECT_EQ(settingLines({{"PrintTo", "JRPrinter"}, {"JRUSERNAME", "jr"}, {"JRHOLDKEY", "1"}}),
            aliceBlock({}));
}

TEST(PjlUserName, HeldJobNamesRoutingUserThenItsHoldLines) {
  const std::string owner = "com.apple.print.JobInfo.PMJobOwner";
  const std::vector<std::pair<std::string, Lines>> modes = {
      {"JRConf",
       {"@PJL SET HOLD = ON\n", "@PJL SET HOLDTYPE = PRIVATE\n", "@PJL SET HOLDKEY = \"0042\"\n"}},
      {"JRRepeat", {"@PJL SET HOLD = ON\n", "@PJL SET HOLDTYPE = PUBLIC\n"}},
      {"JRReserve", {"@PJL SET HOLD = STORE\n", "@PJL SET HOLDTYPE = PUBLIC\n"}},
      {"JRVerify", {"@PJL SET HOLD = PROOF\n", "@PJL SET HOLDTYPE = PUBLIC\n"}},
      {"PrinterS", {"@PJL SET HOLD = OFF\n"}},
      {"JRCONF", {"@PJL SET HOLD = OFF\n"}},
      {"", {"@PJL SET HOLD = OFF\n"}},
  };
  for (const auto& [mode, holdLines] : modes) {
    const SettingRun run = runSettings({{"CyanBalance", "1"},
                                        {"PrintTo", mode},
                                        {"JRUSERNAME", "jr"},
                                        {"JRHOLDKEY", "0042"},
                                        {owner, "ann"},
                                        {"Offset", "Jobs"}});
    Lines expected = {"@PJL SET JOBOFFSET = BETWEENJOBS\n", "@PJL SET USERNAME = \"jr\"\n"};
    expected.insert(expected.end(), holdLines.begin(), holdLines.end());
    expected.push_back("@PJL SET QCOLORBALANCECYAN = 1\n");
    expected.push_back(kClosingLine);
    EXPECT_EQ(run.lines, expected) << mode;
    EXPECT_EQ(run.errors, "") << mode;
  }
}

// A held job is found at the panel under a name: without JRUSERNAME the
// client's accounting user, else the command line's user (never the owner
// of a job printed at once, and never an empty name).
TEST(PjlUserName, HeldJobWithoutRoutingUserFallsBackOnAccountingThenCommandLineUser) {
  const Lines holdLines = {"@PJL SET HOLD = ON\n", "@PJL SET HOLDTYPE = PRIVATE\n",
                           "@PJL SET HOLDKEY = \"\"\n", kClosingLine};
  Lines expected = {"@PJL SET USERNAME = \"alice\"\n"};
  expected.insert(expected.end(), holdLines.begin(), holdLines.end());
  EXPECT_EQ(settingLines({{"PrintTo", "JRConf"}, {"com.apple.print.JobInfo.PMJobOwner", "ann"}}),
            expected);
  expected[0] = "@PJL SET USERNAME = \"acct7\"\n";
  EXPECT_EQ(settingLines({{"PrintTo", "JRConf"}, {"job-accounting-user-id", "acct7"}}), expected);
  EXPECT_EQ(settingLines({{"job-accounting-user-id", "acct7"}}),
            (Lines{"@PJL SET USERNAME = \"acct7\"\n", kClosingLine}))
      << "a job printed at once names its accounting user too";
}
