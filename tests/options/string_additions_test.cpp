#include "string_additions.h"

#include <gtest/gtest.h>

TEST(ReplaceString, ReplacesEveryOccurrenceLeftToRightWithoutOverlap) {
  EXPECT_EQ(replaceString("a,b,,c", ",", ";"), "a;b;;c");
  EXPECT_EQ(replaceString("aaa", "aa", "X"), "Xa");
  EXPECT_EQ(replaceString("abab", "ab", ""), "");
  EXPECT_EQ(replaceString("x", "x", "xx"), "xx");
}

TEST(ReplaceString, LeavesTextWithoutMatchUnchanged) {
  EXPECT_EQ(replaceString("hello", "z", "y"), "hello");
  EXPECT_EQ(replaceString("hello", "", "y"), "hello");
  EXPECT_EQ(replaceString("", "a", "b"), "");
  EXPECT_EQ(replaceString("Hello", "hello", "bye"), "Hello");  // case matters
}

TEST(ReplaceString, IgnoringCaseFoldsOnlyAsciiLetters) {
  EXPECT_EQ(replaceStringIgnoringCase("<2c><2C>", "<2C>", ","), ",,");
  EXPECT_EQ(replaceStringIgnoringCase("\xC9t\xE9", "\xE9", "e"), "\xC9te");
  EXPECT_EQ(replaceStringIgnoringCase("A[a", "[", "{"), "A{a");
}

TEST(IntValue, ReadsTheLeadingNumberLikeATextScanner) {
  EXPECT_EQ(intValue("8"), 8);
  EXPECT_EQ(intValue(" 7"), 7);
  EXPECT_EQ(intValue("\t\n 12 pages"), 12);
  EXPECT_EQ(intValue("-3x"), -3);
  EXPECT_EQ(intValue("+4"), 4);
  EXPECT_EQ(intValue("007"), 7);
  EXPECT_EQ(intValue("abc"), 0);
  EXPECT_EQ(intValue(""), 0);
  EXPECT_EQ(intValue("- 3"), 0);
  EXPECT_EQ(intValue("x5"), 0);
}

TEST(IntValue, SaturatesBeyondThirtyTwoBits) {
  EXPECT_EQ(intValue("2147483647"), 2147483647);
  EXPECT_EQ(intValue("99999999999999999999"), INT32_MAX);
  EXPECT_EQ(intValue("-2147483648"), INT32_MIN);
  EXPECT_EQ(intValue("-99999999999999999999"), INT32_MIN);
}
