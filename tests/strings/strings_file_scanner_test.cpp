#include "strings_file_scanner.h"

#include <gtest/gtest.h>

namespace {

using pairList = std::vector<std::pair<std::string, std::string>>;

pairList scan(std::string_view text) {
  pairList result;
  for (const stringsPair& pair : scanStringsText(text)) result.emplace_back(pair.key, pair.value);
  return result;
}

}  // namespace

TEST(StringsScanner, ReadsQuotedPairsInFileOrder) {
  EXPECT_EQ(scan("\"A\" = \"B\";\n"), (pairList{{"A", "B"}}));
  EXPECT_EQ(scan("\"A\" = \"B\";\r\n\"C\"=\"D\";"), (pairList{{"A", "B"}, {"C", "D"}}));
  EXPECT_EQ(scan("\"A\" = \"1\";\n\"A\" = \"2\";\n"), (pairList{{"A", "1"}, {"A", "2"}}));
  EXPECT_EQ(scan(""), pairList{});
  EXPECT_EQ(scan(" \t\r\n "), pairList{});
}

TEST(StringsScanner, DropsLeadingAndKeepsTrailingWhiteSpace) {
  EXPECT_EQ(scan("\"  key \" = \" \t value  \";"), (pairList{{"key ", "value  "}}));
  EXPECT_EQ(scan("\"k\" = \"\nline\n\";"), (pairList{{"k", "line\n"}}));
}

TEST(StringsScanner, KnowsNothingButQuotes) {
  // Comments and semicolons are skipped as text outside quotes.
  EXPECT_EQ(scan("/* labels */\n\"A\" = \"B\"; // done\n"), (pairList{{"A", "B"}}));
  // No escapes: the backslash stays and the quote after it ends the value.
  EXPECT_EQ(scan("\"A\" = \"say \\\"hi\\\"\";"), (pairList{{"A", "say \\"}}));
  // A quote inside a comment opens a key.
  EXPECT_EQ(scan("/* \"x\" */ \"A\" = \"B\";"), (pairList{{"x", "A"}}));
  EXPECT_EQ(scan("\"A\"\"B\""), (pairList{{"A", "B"}}));
}

TEST(StringsScanner, EmptyOrBlankTextsAreEmptyNotThePreviousOnes) {
  EXPECT_EQ(scan("\"\" = \"v\";"), (pairList{{"", "v"}}));
  EXPECT_EQ(scan("\"A\" = \"B\";\n\"C\" = \"\";"), (pairList{{"A", "B"}, {"C", ""}}));
  EXPECT_EQ(scan("\"A\" = \"B\";\n\"   \" = \"  \";"), (pairList{{"A", "B"}, {"", ""}}));
}

TEST(StringsScanner, LeavesOutAPairCutOffByTheEnd) {
  EXPECT_EQ(scan("\"A\" = \"B\";\n\"C\" ="), (pairList{{"A", "B"}}));
  EXPECT_EQ(scan("\"C\" = \"value without end"), pairList{});
  EXPECT_EQ(scan("\"C\" = \"value   "), pairList{});
  EXPECT_EQ(scan("\"C\" = \"   "), pairList{});
  EXPECT_EQ(scan("\"C\" = \""), pairList{});
  EXPECT_EQ(scan("\"C\""), pairList{});
  EXPECT_EQ(scan("\"C"), pairList{});
  EXPECT_EQ(scan("\""), pairList{});
}

TEST(StringsScanner, NeverReadsPastTheText) {
  // The view ends inside the value; the quote beyond it must not be seen.
  std::string buffer = "\"A\" = \"xy\"";
  EXPECT_EQ(scan(std::string_view(buffer).substr(0, buffer.size() - 1)), pairList{});
  EXPECT_EQ(scan(std::string_view(buffer).substr(0, 4)), pairList{});
}
