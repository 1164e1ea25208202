// The insertqfjt program: its messages reach standard error, its status is
// the merge's, and extraction can go to standard output.
#include <gtest/gtest.h>

#include "pdf_builder.h"

namespace {

// Runs the program with arguments; stdout and stderr to files in folder.
int runTool(const TempFolder& folder, const std::string& arguments) {
  return shell(std::string(INSERTQFJT_BINARY) + " " + arguments + " >" + folder / "stdout" + " 2>" +
               folder / "stderr");
}

}  // namespace

TEST(InsertqfjtTool, UsageGoesToStandardErrorWithStatusOne) {
  TempFolder folder;
  EXPECT_EQ(runTool(folder, ""), 1);
  std::string err = readWhole(folder / "stderr");
  EXPECT_EQ(err.rfind("\nUSAGE : " + std::string(INSERTQFJT_BINARY) + " <infile> <outfile> <insertfile>", 0), 0u);
  EXPECT_EQ(readWhole(folder / "stdout"), "");
}

TEST(InsertqfjtTool, CombinesAndExtractsToStandardOutput) {
  TempFolder folder;
  writeWhole(folder / "t.xml", "<ticket/>\n");
  std::string sample = std::string(SAMPLE_DATA_DIR) + "/letter-1page.pdf";
  ASSERT_EQ(runTool(folder, sample + " " + folder / "m.pdf " + folder / "t.xml"), 0);
  EXPECT_EQ(readWhole(folder / "stderr"), "");
  ASSERT_EQ(runTool(folder, folder / "m.pdf"), 0);
  EXPECT_EQ(readWhole(folder / "stdout"), "<ticket/>\n");
  EXPECT_EQ(runTool(folder, sample), 10);
  EXPECT_EQ(readWhole(folder / "stderr"),
            "\nError: Quorlan job ticket node not found in file " + sample + ".\n");
}
