#include "argument_store.h"

#include <gtest/gtest.h>

namespace {

std::string valueOf(const char* optionString, const char* name) {
  auto store = argumentStore::initWithOptionString(optionString);
  const std::string* value = store->getValue(name);
  return value ? *value : "<absent>";
}

}  // namespace

TEST(OptionEscapes, DecodesEachOfTheSixEscapes) {
  EXPECT_EQ(decodeOptionEscapes("it<27>s"), "it's");
  EXPECT_EQ(decodeOptionEscapes("a<3D>b"), "a=b");
  EXPECT_EQ(decodeOptionEscapes("a<20>b"), "a b");
  EXPECT_EQ(decodeOptionEscapes("a<2C>b"), "a,b");
  EXPECT_EQ(decodeOptionEscapes("a<3C>b"), "a<b");
  EXPECT_EQ(decodeOptionEscapes("a<3E>b"), "a>b");
  EXPECT_EQ(decodeOptionEscapes("<20>"), " ");
  EXPECT_EQ(decodeOptionEscapes("<3C><3E><3D><2C><20><27>"), "<>=, '");
}

TEST(OptionEscapes, MatchesLowerCaseHexDigits) {
  EXPECT_EQ(decodeOptionEscapes("a<2c>b<3d>c<3c>d<3e>"), "a,b=c<d>");
}

TEST(OptionEscapes, LeavesOtherTextAlone) {
  EXPECT_EQ(decodeOptionEscapes("a<41>b"), "a<41>b");
  EXPECT_EQ(decodeOptionEscapes("<2C"), "<2C");  // three characters: never decoded
  EXPECT_EQ(decodeOptionEscapes("abc"), "abc");
  EXPECT_EQ(decodeOptionEscapes(""), "");
  EXPECT_EQ(decodeOptionEscapes("<2 C>"), "<2 C>");
}

TEST(OptionEscapes, LaterStepsSeeWhatEarlierStepsMade) {
  EXPECT_EQ(decodeOptionEscapes("<3C>3E>"), ">");     // "<3E>" after step 5, ">" after 6
  EXPECT_EQ(decodeOptionEscapes("<3C>27>"), "<27>");  // step 1 already ran
  EXPECT_EQ(decodeOptionEscapes("<3C>20>"), "<20>");
  EXPECT_EQ(decodeOptionEscapes("<<3C>3E>3E>"), "<>3E>");
  EXPECT_EQ(decodeOptionEscapes("<3C>3C>3E>"), "<3C>3E>");  // step 5 does not rescan
}

TEST(OptionStore, ParsesWithCupsAndDecodesValuesOnly) {
  auto store = argumentStore::initWithOptionString(
      "PrintTo=JRPrinter com.apple.print.JobInfo.PMJobName=Q<20>report a<20>b=x<20>y");
  EXPECT_EQ(store->count(), 3);
  EXPECT_EQ(*store->getValue("PrintTo"), "JRPrinter");
  EXPECT_EQ(*store->getValue("com.apple.print.JobInfo.PMJobName"), "Q report");
  EXPECT_EQ(*store->getValue("a<20>b"), "x y");  // names keep their escapes
}

TEST(OptionStore, LookupIsExactAndAbsentIsNull) {
  auto store = argumentStore::initWithOptionString("PrintTo=JRPrinter");
  EXPECT_EQ(store->getValue("printto"), nullptr);
  EXPECT_EQ(store->getValue("PrintTo "), nullptr);
  EXPECT_EQ(store->getValue("Missing"), nullptr);
}

TEST(OptionStore, EmptyOrNullStringGivesEmptyStore) {
  EXPECT_EQ(argumentStore::initWithOptionString("")->count(), 0);
  EXPECT_EQ(argumentStore::initWithOptionString(nullptr)->count(), 0);
  EXPECT_EQ(argumentStore::initWithOptionString("   ")->count(), 0);
  EXPECT_TRUE(argumentStore::initWithOptionString("")->keyEnumerator().empty());
}

TEST(OptionStore, KeepsWhatTheCupsParserReturns) {
  EXPECT_EQ(valueOf("a='x y'", "a"), "x y");
  EXPECT_EQ(valueOf("a=\"say \\\"hi\\\"\"", "a"), "say \"hi\"");
  EXPECT_EQ(valueOf("a=1 a=2", "a"), "2");  // a repeated name: the last value
  EXPECT_EQ(valueOf("a=<3C>3E>", "a"), ">");
  EXPECT_EQ(valueOf("PMCopies=007", "PMCopies"), "007");
  EXPECT_EQ(valueOf("name=\xC9t\xE9<20>2", "name"), "\xC9t\xE9 2");  // 8-bit bytes pass
}

TEST(OptionStore, EnumeratesEachNameOnceInTheJobsOrder) {
  auto store = argumentStore::initWithOptionString("zeta=1 alpha=2 zeta=3 mid='x alpha=9' noDuplex");
  EXPECT_EQ(store->keyEnumerator(), (std::vector<std::string>{"zeta", "alpha", "mid", "Duplex"}));
  EXPECT_EQ(*store->getValue("zeta"), "3");
  EXPECT_EQ(*store->getValue("Duplex"), "false");
  EXPECT_EQ(store->count(), 4);
}
