#include <charconv>
#include <cstdlib>

#include "sheet_test_support.h"

namespace {

namespace fs = std::filesystem;

const std::string kFilled =
    "JRCSCPAGES=3 JRJOBNAME='Ann Lee' JRCSRECVOICE='+1 555 0100' JRCSNAME='Ren\xC3\xA9 "
    "L\xC3\xA9vesque' JRCSCOMPANY=Stone<20>&<20>Co JRCSADDR1='12 Main Street' "
    "JRCSADDR2='Springfield, IL' JRCSSENDFAX='+1 555 0199' JRCSSENDVOICE='+1 555 0198' "
    "JRCSEMAIL=rene@example.com JRCSCOMMNTA='First line' JRCSCOMMNTF='Last line'";

class CoverSheetTool : public TempFolderTest {
 protected:
  // Runs the tool with args, in workingFolder when given; its output goes
  // to out and err.
  int run(std::vector<std::string> args, const std::vector<std::string>& environment = {},
          const std::string& workingFolder = {}) {
    args.insert(args.begin(), COVERSHEET_TOOL);
    return runProgram(args, out(), err(), environment, workingFolder);
  }
  std::string out() const { return (folder / "out").string(); }
  std::string err() const { return (folder / "err").string(); }
};

// The hex rows after the header, as pixel rows from the first sent.
std::vector<std::vector<uint8_t>> sentRows(const std::string& image, size_t headerSize) {
  std::vector<std::vector<uint8_t>> rows;
  size_t at = headerSize;
  while (at < image.size()) {
    size_t end = image.find(" \n", at);
    if (end == std::string::npos) break;
    std::vector<uint8_t> row;
    for (size_t i = at; i + 1 < end; i += 2) {
      uint8_t value = 0;
      std::from_chars(image.data() + i, image.data() + i + 2, value, 16);
      row.push_back(value);
    }
    rows.push_back(std::move(row));
    at = end + 2;
  }
  return rows;
}

}  // namespace

TEST_F(CoverSheetTool, HelpAndBadArguments) {
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_TRUE(readFile(out()).starts_with("Usage: coversheet [--width N]"));
  const std::vector<std::vector<std::string>> bad{
      {},
      {"--width", "0", ""},
      {"--width", "12x", ""},
      {"--height", "1", ""},
      {"--height", "10001", ""},
      {"--width"},
      {"--colour", "red", ""},
      {"a=1", "b=2"},
  };
  for (const auto& args : bad) {
    SCOPED_TRACE(args.empty() ? "(none)" : args[0]);
    EXPECT_EQ(run(args), 1);
    EXPECT_NE(readFile(err()).find("Usage: coversheet"), std::string::npos);
    EXPECT_EQ(readFile(out()), "");
  }
}

TEST_F(CoverSheetTool, ResourceFolderFromOptionOrEnvironment) {
  EXPECT_EQ(run({"--resources", (folder / "none").string(), ""}), 2);
  EXPECT_NE(readFile(err()).find("no resource folder"), std::string::npos);
  EXPECT_EQ(run({"--width", "5", "--height", "4", "JRENCODINGSTR=nl"},
                {"TICKETPRESS_RESOURCES=" SHIPPED_RESOURCES}),
            0);
  EXPECT_EQ(readFile(err()), "");
  EXPECT_TRUE(readFile(out()).ends_with("FFFFFFFFFF \nFFFFFFFFFF \nFFFFFFFFFF \n"));
  EXPECT_EQ(run({"--output", (folder / "no/such/dir/x.ps").string(), "--resources",
                 SHIPPED_RESOURCES, ""}),
            2);
}

// The tool as built, run from another folder with neither --resources nor
// $TICKETPRESS_RESOURCES, reads the source tree's resources: its image is
// the one that naming them gives.
TEST_F(CoverSheetTool, FromTheBuildTreeFindsTheSourceResources) {
  const std::string options = "JRENCODINGSTR=French " + kFilled;
  const std::string named = (folder / "named.ps").string();
  ASSERT_EQ(run({"--resources", SHIPPED_RESOURCES, "--output", named, options}), 0);

  std::optional<std::string> variable;
  if (const char* value = std::getenv("TICKETPRESS_RESOURCES")) variable = value;
  unsetenv("TICKETPRESS_RESOURCES");
  int status = run({options}, {}, "/");
  if (variable) setenv("TICKETPRESS_RESOURCES", variable->c_str(), 1);

  EXPECT_EQ(status, 0);
  EXPECT_EQ(readFile(err()), "");
  std::string image = readFile(out());
  EXPECT_TRUE(image.starts_with("%%FaxCoverPage: 1 1\n")) << image.substr(0, 100);
  EXPECT_EQ(sentRows(image, image.find("image\n") + 6).size(), 791u);
  EXPECT_TRUE(image == readFile(named)) << "differs from the image with --resources";
}

// Ghostscript, reading the tool's output, must paint exactly the pixels of
// the rows sent, at 12,12; the PNG preview must hold those rows as well.
TEST_F(CoverSheetTool, GhostscriptPaintsTheRowsSent) {
  if (std::string(GHOSTSCRIPT).empty()) GTEST_SKIP() << "gs not installed";
  for (const char* language : {"English", "French"}) {
    SCOPED_TRACE(language);
    std::string ps = (folder / (std::string(language) + ".ps")).string();
    std::string png = (folder / (std::string(language) + ".png")).string();
    std::string rendered = (folder / (std::string(language) + "-gs.png")).string();
    ASSERT_EQ(run({"--resources", SHIPPED_RESOURCES, "--output", ps, "--png", png,
                   "JRENCODINGSTR=" + std::string(language) + " " + kFilled}),
              0);
    auto bitmap = readGreyPng(png);
    ASSERT_TRUE(bitmap);
    ASSERT_EQ(bitmap->width, 612);
    ASSERT_EQ(bitmap->height, 792);

    std::string image = readFile(ps);
    size_t headerSize = image.find("image\n") + 6;
    auto rows = sentRows(image, headerSize);
    ASSERT_EQ(rows.size(), 791u);
    for (size_t k = 0; k < rows.size(); ++k) {
      int row = 791 - static_cast<int>(k);
      ASSERT_EQ(rows[k], std::vector<uint8_t>(bitmap->pixels.begin() + row * 612,
                                              bitmap->pixels.begin() + (row + 1) * 612))
          << "row " << row;
    }

    ASSERT_EQ(runProgram({GHOSTSCRIPT, "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE",
                          "-sDEVICE=pnggray", "-r72", "-g636x816", "-dFIXEDMEDIA",
                          "-sOutputFile=" + rendered, ps, "-c", "showpage"},
                         out(), err()),
              0)
        << readFile(err());
    auto page = readGreyPng(rendered);
    ASSERT_TRUE(page);
    ASSERT_EQ(page->width, 636);
    ASSERT_EQ(page->height, 816);
    int differing = 0, dark = 0;
    for (int row = 0; row < page->height; ++row) {
      for (int x = 0; x < page->width; ++x) {
        bool inside = x >= 12 && x < 624 && row >= 13 && row < 804;
        uint8_t expected = inside ? bitmap->at(x - 12, row - 12) : 0xFF;
        if (page->at(x, row) != expected) ++differing;
        if (page->at(x, row) < 0x80) ++dark;
      }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(dark, 2 * 3710);  // the rules alone give 3710
  }
}
