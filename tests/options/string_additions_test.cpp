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
