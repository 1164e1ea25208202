// Hostile option values and user names: every line stays one PJL command.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string_view>

#include "pjl_line.h"
#include "pjl_test_support.h"

namespace {

const std::string kPlaceholder = "PLACEHOLDER";

// Values that try to end a line, open a command, leave their quotes or
// switch the printer's language, and long or 8-bit ones.
std::vector<std::string> hostileValues() {
  std::vector<std::string> values;
  for (int byte = 0x01; byte <= 0x1F; ++byte)
    values.push_back("a" + std::string(1, static_cast<char>(byte)) + "@PJL SET COPIES = 99");
  values.push_back(
      "a\x7F"
      "b");
  values.push_back("report\n@PJL FSDELETE NAME = \"0:\\\\pjl\\\\jobs\"");
  values.push_back("\"\n@PJL DEFAULT DENSITY = 5\n\"");
  values.push_back("\x1B%-12345X@PJL ENTER LANGUAGE = PCL\r\n");
  values.push_back("\r\n\r\n");
  values.push_back("\"\"\"");
  values.push_back("1\" HOSTID = \"evil");
  std::string eightBit;
  for (int byte = 0x80; byte <= 0xFF; ++byte) eightBit += static_cast<char>(byte);
  values.push_back(eightBit);
  std::string allControls;
  for (int byte = 0x01; byte <= 0x1F; ++byte) allControls += static_cast<char>(byte);
  values.push_back(allControls + "\x7F");
  std::string longValue;
  while (longValue.size() < 100000) longValue += "\xE9\n\"\x1B@PJL RDYMSG DISPLAY = \"x\"\r";
  values.push_back(longValue);
  return values;
}

// value as the builder writes it: control bytes as spaces and, quoted,
// double quotes as apostrophes.
std::string written(const std::string& value, bool quoted) {
  std::string text;
  for (char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    text += byte < 0x20 || byte == 0x7F ? ' ' : quoted && c == '"' ? '\'' : c;
  }
  return text;
}

// Replaces the one occurrence of kPlaceholder in block by replacement.
Lines withValue(Lines block, const std::string& replacement) {
  for (std::string& line : block) {
    const size_t at = line.find(kPlaceholder);
    if (at != std::string::npos) line.replace(at, kPlaceholder.size(), replacement);
  }
  return block;
}

// The whole block in the driver's order: QJOBINFO, JOB, settings, QTY.
Lines wholeBlock(const Options& options, const std::string& user = "alice") {
  CapturedStream errors;
  pjlCommands pjl = makeBuilder(options, errors, user);
  pjl.createPJLCommandsBuffer();
  pjl.setPJLJob();
  pjl.setCommonPJLCommands();
  pjl.setQuantity();
  return linesOf(pjl);
}

// The number of quoted values of a line, by its command.
size_t quotedValuesOf(const std::string& line) {
  if (line.starts_with("@PJL QJOBINFO ")) return 2;
  for (const char* command : {"@PJL JOB NAME ", "@PJL SET USERNAME ", "@PJL SET HOLDKEY "})
    if (line.starts_with(command)) return 1;
  return 0;
}

// Checks that line is one PJL command: "@PJL ", no control byte but its
// final line feed, and no quote inside its quoted values.
void expectOneCommand(const std::string& line) {
  ASSERT_GE(line.size(), 6u);
  EXPECT_TRUE(line.starts_with("@PJL ")) << line;
  EXPECT_EQ(line.back(), '\n');
  for (size_t at = 0; at + 1 < line.size(); ++at) {
    const auto byte = static_cast<unsigned char>(line[at]);
    EXPECT_FALSE(byte < 0x20 || byte == 0x7F) << "byte " << int(byte) << " at " << at;
  }
  const size_t quoted = quotedValuesOf(line);
  if (quoted > 0) {
    EXPECT_EQ(static_cast<size_t>(std::count(line.begin(), line.end(), '"')), 2 * quoted) << line;
  }
}

// An option whose value reaches the block: the option, the options that
// make its line appear, and whether the value is quoted there.
struct CopiedOption {
  std::string key;
  Options context;
  bool quoted;
};

const std::vector<CopiedOption> kCopiedOptions = {
    {"com.apple.print.JobInfo.PMJobName", {}, true},
    {"com.apple.print.JobInfo.PMJobOwner", {}, true},
    {"JRUSERNAME", {{"PrintTo", "JRVerify"}}, true},
    {"JRHOLDKEY", {{"PrintTo", "JRConf"}}, true},
    {"TonerDarkness", {}, false},
    {"CyanBalance", {}, false},
    {"MagentaBalance", {}, false},
    {"YellowBalance", {}, false},
    {"BlackBalance", {}, false},
    {"QrlBrightness", {}, false},
    {"QrlContrast", {}, false},
    {"QrlSaturation", {}, false},
    {"com.apple.print.PrintSettings.PMCopies..n.", {}, false},
};

const std::vector<std::string> kTableKeys = {"com.apple.print.PrintSettings.PMOrientation..n.",
                                             "PictureGrade",
                                             "SepPages",
                                             "SepSource",
                                             "Offset",
                                             "MediaColor",
                                             "GrayCorrection",
                                             "ManualRGBImage",
                                             "ManualRGBText",
                                             "ManualRGBGraphics",
                                             "ManualCMYK",
                                             "ColorSaver",
                                             "BLW",
                                             "QrlBlankPage",
                                             "ImageSmoothing",
                                             "QrlLineDetail"};

}  // namespace

TEST(PjlInjection, CopiedValuesStayInsideTheirOneLine) {
  for (const CopiedOption& option : kCopiedOptions) {
    Options benign = option.context;
    benign.emplace_back(option.key, kPlaceholder);
    const Lines pattern = wholeBlock(benign);
    for (const std::string& value : hostileValues()) {
      Options hostile = option.context;
      hostile.emplace_back(option.key, value);
      const Lines block = wholeBlock(hostile);
      EXPECT_EQ(block, withValue(pattern, written(value, option.quoted)))
          << option.key << " = " << value.substr(0, 40);
      for (const std::string& line : block) expectOneCommand(line);
    }
  }
}

TEST(PjlInjection, UserNameStaysInsideItsQuotes) {
  const Lines pattern = wholeBlock({}, kPlaceholder);
  std::vector<std::string> users = hostileValues();
  users.push_back(std::string("nul\0@PJL", 8));
  for (const std::string& user : users) {
    const Lines block = wholeBlock({}, user);
    EXPECT_EQ(block, withValue(pattern, written(user, true))) << user.substr(0, 40);
    for (const std::string& line : block) expectOneCommand(line);
  }
}

TEST(PjlInjection, HostileValuesOfTableOptionsYieldNothing) {
  const Lines plain = wholeBlock({});
  for (const std::string& key : kTableKeys)
    for (const std::string& value : hostileValues())
      EXPECT_EQ(wholeBlock({{key, value}}), plain) << key;
}

TEST(PjlInjection, EveryOptionHostileAtOnceGivesNoEscapeOnTheWire) {
  for (const std::string& value : hostileValues()) {
    for (const char* printTo : {"JRConf", "JRPrinter", "x"}) {
      Options options = {{"PrintTo", printTo}, {"media", value}};
      for (const CopiedOption& option : kCopiedOptions) options.emplace_back(option.key, value);
      for (const std::string& key : kTableKeys) options.emplace_back(key, value);

      CapturedStream printer, errors;
      pjlCommands pjl(argumentStore::initWithOptionString(optionString(options).c_str()), value,
                      value, printer.file(), errors.file());
      pjl.createPJLCommandsBuffer();
      pjl.setPJLJob();
      pjl.setCommonPJLCommands();
      pjl.setQuantity();
      for (const std::string& line : linesOf(pjl)) expectOneCommand(line);
      pjl.sendPJLLinesToPrinter(false, nullptr);
      const std::string wire = printer.text();
      EXPECT_EQ(wire.find('\x1B'), std::string::npos);
      EXPECT_EQ(static_cast<size_t>(std::count(wire.begin(), wire.end(), '\n')), pjl.ticketCount());
    }
  }
}

TEST(PjlLineFormat, EveryByteInBareAndQuotedValues) {
  for (int byte = 0; byte <= 0xFF; ++byte) {
    const std::string value = "<" + std::string(1, static_cast<char>(byte)) + ">";
    const std::string_view values[] = {value, value};
    const bool control = byte < 0x20 || byte == 0x7F;
    const char bare = control ? ' ' : static_cast<char>(byte);
    const char quoted = control ? ' ' : byte == '"' ? '\'' : static_cast<char>(byte);
    EXPECT_EQ(formatPJLLine("@PJL SET A = %s B = %q\n", values),
              std::string("@PJL SET A = <") + bare + "> B = \"<" + quoted + ">\"\n")
        << byte;
  }
}

TEST(PjlLineFormat, PatternWithoutValuesAndMissingValues) {
  EXPECT_EQ(formatPJLLine("@PJL SET HOLD = OFF\n", {}), "@PJL SET HOLD = OFF\n");
  EXPECT_EQ(formatPJLLine("@PJL SET HOLDKEY = %q\n", {}), "@PJL SET HOLDKEY = \"\"\n");
  const std::string_view value[] = {"%s%q"};
  EXPECT_EQ(formatPJLLine("@PJL SET DENSITY = %s %d%\n", value), "@PJL SET DENSITY = %s%q %d%\n");
}
