// setJobRouting, setCustomPaper, setPaperSource, and the numbers of the
// custom paper lines.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

#include "pjl_number.h"
#include "pjl_test_support.h"

namespace {

// What one operation appends to a fresh list, and its error output.
struct OperationRun {
  Lines lines;
  std::string errors;
};

template <typename Operation>
OperationRun runOperation(const Options& options, Operation operation) {
  CapturedStream errors;
  pjlCommands pjl = makeBuilder(options, errors);
  pjl.createPJLCommandsBuffer();
  operation(pjl);
  Lines lines = linesOf(pjl);
  lines.erase(lines.begin());
  return {lines, errors.text()};
}

OperationRun routing(std::optional<std::string_view> value, const Options& options = {}) {
  return runOperation(options, [&](pjlCommands& pjl) { pjl.setJobRouting(value); });
}

OperationRun customPaper(std::optional<std::string_view> value) {
  return runOperation({}, [&](pjlCommands& pjl) { pjl.setCustomPaper(value); });
}

OperationRun paperSource(std::optional<std::string_view> value) {
  return runOperation({}, [&](pjlCommands& pjl) { pjl.setPaperSource(value); });
}

// The three custom paper lines for a width and height as printed.
Lines paperLines(const std::string& width, const std::string& height) {
  return {"@PJL SET QCUSTOMPAPERUNITS = INCHES\n", "@PJL SET QCUSTOMPAPERWIDTH = " + width + "\n",
          "@PJL SET QCUSTOMPAPERHEIGHT = " + height + "\n"};
}

// What "%.2f" prints for value in the C locale.
std::string printfTwoDecimals(float value) {
  char text[64];
  snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
  return text;
}

const std::string kMediaError = "ERROR: custom media size value\n";

}  // namespace

TEST(PjlJobRouting, AbsentValueReportsAndAppendsNothing) {
  const OperationRun run = routing(std::nullopt, {{"JRHOLDKEY", "1"}});
  EXPECT_EQ(run.lines, Lines{});
  EXPECT_EQ(run.errors, "ERROR: Job Routing value\n");
  EXPECT_EQ(run.errors.size(), 25u);
}

TEST(PjlJobRouting, ModesAndUnlistedValues) {
  const Options key = {{"JRHOLDKEY", "9876"}};
  EXPECT_EQ(routing("JRConf", key).lines,
            (Lines{"@PJL SET HOLD = ON\n", "@PJL SET HOLDTYPE = PRIVATE\n",
                   "@PJL SET HOLDKEY = \"9876\"\n"}));
  EXPECT_EQ(routing("JRRepeat", key).lines,
            (Lines{"@PJL SET HOLD = ON\n", "@PJL SET HOLDTYPE = PUBLIC\n"}));
  EXPECT_EQ(routing("JRReserve", key).lines,
            (Lines{"@PJL SET HOLD = STORE\n", "@PJL SET HOLDTYPE = PUBLIC\n"}));
  EXPECT_EQ(routing("JRVerify", key).lines,
            (Lines{"@PJL SET HOLD = PROOF\n", "@PJL SET HOLDTYPE = PUBLIC\n"}));
  for (const char* value : {"JRCONF", "JRPrinter", "PrinterS", "JRConf ", ""}) {
    const OperationRun run = routing(value, key);
    EXPECT_EQ(run.lines, Lines{"@PJL SET HOLD = OFF\n"}) << value;
    EXPECT_EQ(run.errors, "") << value;
  }
}

TEST(PjlJobRouting, HoldKeyIsCopiedOrEmpty) {
  EXPECT_EQ(routing("JRConf").lines, (Lines{"@PJL SET HOLD = ON\n", "@PJL SET HOLDTYPE = PRIVATE\n",
                                            "@PJL SET HOLDKEY = \"\"\n"}));
  EXPECT_EQ(routing("JRConf", {{"JRHOLDKEY", "0001 \xE4x"}}).lines[2],
            "@PJL SET HOLDKEY = \"0001 \xE4x\"\n");
}

TEST(PjlCustomPaper, AbsentValueReportsAndAppendsNothing) {
  const OperationRun run = customPaper(std::nullopt);
  EXPECT_EQ(run.lines, Lines{});
  EXPECT_EQ(run.errors, kMediaError);
  EXPECT_EQ(run.errors.size(), 31u);
}

TEST(PjlCustomPaper, TextWithoutLowerCaseXReportsAndAppendsNothing) {
  for (const char* value : {"612X792", "612", "", "Tabloid"}) {
    const OperationRun run = customPaper(value);
    EXPECT_EQ(run.lines, Lines{}) << value;
    EXPECT_EQ(run.errors, kMediaError) << value;
  }
}

TEST(PjlCustomPaper, PointsBecomeInchesWithTwoDecimals) {
  const std::vector<std::tuple<const char*, const char*, const char*>> cases = {
      {"612x792", "8.50", "11.00"},
      {"595x842", "8.26", "11.69"},
      {"1000x1", "13.89", "0.01"},
      {"0x0", "0.00", "0.00"},
      {"612x792x100", "8.50", "11.00"},
      {"8.5inx11in", "0.12", "0.15"},
      {" 612x\t792", "8.50", "11.00"},
      {"+612x-792", "8.50", "-11.00"},
      {"6.12e2x7.92E+2", "8.50", "11.00"},
      {".5e3x612.", "6.94", "8.50"},
      {"axb", "0.00", "0.00"},
      {"x792", "0.00", "11.00"},
      {"612x", "8.50", "0.00"},
      {"inf x nan", "0.00", "0.00"},
      {"0x10", "0.00", "0.14"},
      {"1e3e4x1e", "13.89", "0.01"},
      // Read and divided as 32-bit floats; in double both would end in 1.
      {"36.36x108.36", "0.50", "1.50"},
  };
  for (const auto& [text, width, height] : cases) {
    const OperationRun run = customPaper(text);
    EXPECT_EQ(run.lines, paperLines(width, height)) << text;
    EXPECT_EQ(run.errors, "") << text;
  }
}

TEST(PjlCustomPaper, SameTextUnderACommaDecimalLocale) {
  const std::string previous = setlocale(LC_ALL, nullptr);
  if (!setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  const OperationRun run = customPaper("612.5x792,5");
  setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(run.lines, paperLines("8.51", "11.00"));
}

TEST(PjlNumbers, LeadingNumberReading) {
  EXPECT_EQ(readLeadingNumber("612"), 612.0f);
  EXPECT_EQ(readLeadingNumber("\n\v\f\r 12.25pt"), 12.25f);
  EXPECT_EQ(readLeadingNumber("-0.5"), -0.5f);
  EXPECT_EQ(readLeadingNumber("1e2"), 100.0f);
  EXPECT_EQ(readLeadingNumber("1e"), 1.0f);
  EXPECT_EQ(readLeadingNumber("1e+"), 1.0f);
  EXPECT_EQ(readLeadingNumber("2E-1"), 0.2f);
  EXPECT_EQ(readLeadingNumber("0.1"), 0.1f);  // rounded once, to float
  EXPECT_EQ(readLeadingNumber("1,5"), 1.0f);
  for (const char* none : {"", " ", "-", "+", ".", "-.", "e5", "inf", "nan",
                           "\xA0"
                           "5",
                           "--5"})
    EXPECT_EQ(readLeadingNumber(none), 0.0f) << none;
}

TEST(PjlNumbers, OutOfFloatRangeOverflowsOrUnderflows) {
  EXPECT_EQ(readLeadingNumber("1e39"), HUGE_VALF);
  EXPECT_EQ(readLeadingNumber("-4e38"), -HUGE_VALF);
  EXPECT_EQ(readLeadingNumber("0.00001e100000000000000"), HUGE_VALF);
  EXPECT_EQ(readLeadingNumber(std::string(60, '9')), HUGE_VALF);
  EXPECT_EQ(readLeadingNumber("1e-50"), 0.0f);
  EXPECT_EQ(readLeadingNumber("100000e-60"), 0.0f);
  EXPECT_EQ(readLeadingNumber("0." + std::string(60, '0') + "1"), 0.0f);
  EXPECT_EQ(readLeadingNumber("3.4e38"), 3.4e38f);
}

TEST(PjlCustomPaper, SizeBeyondTheFloatRangeIsReportedNotSent) {
  for (const char* value : {"1e39x1e-50", "612x-4e38"}) {
    const OperationRun run = customPaper(value);
    EXPECT_EQ(run.lines, Lines{}) << value;
    EXPECT_EQ(run.errors, kMediaError) << value;
  }
}

TEST(PjlNumbers, TwoDecimalsRoundLikePrintf) {
  for (int points = -2000; points <= 20000; ++points) {
    const float inches = static_cast<float>(points) / 72.0f;
    ASSERT_EQ(formatTwoDecimals(inches), printfTwoDecimals(inches)) << points;
  }
  for (int hundredths = 0; hundredths <= 100000; ++hundredths) {
    const float value = static_cast<float>(hundredths) / 100.0f + 0.005f;
    ASSERT_EQ(formatTwoDecimals(value), printfTwoDecimals(value)) << value;
  }
  EXPECT_EQ(formatTwoDecimals(612.0f / 72.0f), "8.50");
  EXPECT_EQ(formatTwoDecimals(595.0f / 72.0f), "8.26");
  EXPECT_EQ(formatTwoDecimals(842.0f / 72.0f), "11.69");
  EXPECT_EQ(formatTwoDecimals(1000.0f / 72.0f), "13.89");
  EXPECT_EQ(formatTwoDecimals(1.0f / 72.0f), "0.01");
  EXPECT_EQ(formatTwoDecimals(3.4e38f), printfTwoDecimals(3.4e38f));
}

TEST(PjlPaperSource, EachTrayNameAppendsItsOneLine) {
  const Options cases = {{"MultipurposeFeeder", "MPFEEDER"},
                         {"ManualPaper", "MANUALPAPER"},
                         {"ManualEnv", "MANUALENVELOPE"},
                         {"EnvFeeder", "FEEDER"},
                         {"Tray5", "TRAY5"},
                         {"Tray4", "TRAY4"},
                         {"Tray3", "TRAY3"},
                         {"Tray2", "TRAY2"},
                         {"Tray1", "TRAY1"}};
  for (const auto& [value, keyword] : cases)
    EXPECT_EQ(paperSource(value).lines, Lines{"@PJL SET QPAPERSOURCE = " + keyword + "\n"})
        << value;
}

TEST(PjlPaperSource, OtherValuesAndNothingAppendNothingSilently) {
  for (std::optional<std::string_view> value :
       {std::optional<std::string_view>("tray3"), std::optional<std::string_view>("Tray6"),
        std::optional<std::string_view>("PrinterS"), std::optional<std::string_view>(""),
        std::optional<std::string_view>()}) {
    const OperationRun run = paperSource(value);
    EXPECT_EQ(run.lines, Lines{});
    EXPECT_EQ(run.errors, "");
  }
}
