#include "utf8_text.h"

#include <gtest/gtest.h>

TEST(DecodeUtf8, KeepsWellFormedText) {
  EXPECT_EQ(decodeUtf8("Name:"), "Name:");
  EXPECT_EQ(decodeUtf8("T\xC3\xA9l\xC3\xA9phone"), "T\xC3\xA9l\xC3\xA9phone");
  EXPECT_EQ(decodeUtf8("\xE2\x82\xAC \xF0\x9F\x93\xA0"), "\xE2\x82\xAC \xF0\x9F\x93\xA0");
  EXPECT_EQ(decodeUtf8(""), "");
}

TEST(DecodeUtf8, ReplacesEachStrayByte) {
  const std::string bad = "\xEF\xBF\xBD";
  EXPECT_EQ(decodeUtf8("\xE9t\xE9"), bad + "t" + bad);     // Latin-1, not UTF-8
  EXPECT_EQ(decodeUtf8("a\x80"), "a" + bad);                // lone continuation
  EXPECT_EQ(decodeUtf8("\xC3"), bad);                       // cut off
  EXPECT_EQ(decodeUtf8("\xE2\x82"), bad + bad);             // cut off, longer
  EXPECT_EQ(decodeUtf8("\xC0\xAF"), bad + bad);             // overlong "/"
  EXPECT_EQ(decodeUtf8("\xED\xA0\x80"), bad + bad + bad);   // surrogate
  EXPECT_EQ(decodeUtf8("\xF4\x90\x80\x80"), bad + bad + bad + bad);  // above U+10FFFF
  EXPECT_EQ(decodeUtf8("\xC3(\xC3\xA9"), bad + "(\xC3\xA9");
}
