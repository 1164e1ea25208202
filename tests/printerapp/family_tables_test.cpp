// The printer application's choices are the PPD's: the same trays, media
// types, output bins, resolutions, paper sizes, custom size range and
// family settings, so that both front ends offer and print the same.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "family_settings.h"
#include "family_tables.h"
#include "option_keys.h"
#include "queue_ppd.h"

namespace {

const std::string kPpdPath = std::string(PROJECT_SOURCE_DIR) + "/ppd/quorlan-pdf-laser.ppd";

std::vector<std::string> withPrinterSetting(std::span<const std::string_view> choices) {
  std::vector<std::string> all{std::string(kPrinterSetting)};
  all.insert(all.end(), choices.begin(), choices.end());
  return all;
}

}  // namespace

TEST(FamilyTables, AgreeWithThePpd) {
  std::unique_ptr<QueuePpd> ppd = QueuePpd::open(kPpdPath.c_str());
  ASSERT_NE(ppd, nullptr);
  const FamilyChoices app;
  for (std::string_view option : {kInputSlotKey, kMediaTypeKey, kOutputBinKey})
    EXPECT_EQ(app.choicesOf(option), ppd->choicesOf(option)) << option;
  EXPECT_EQ(withPrinterSetting(familyInputSlots()), ppd->choicesOf(kInputSlotKey));

  std::vector<std::string> resolutions;
  for (int dpi : familyResolutions()) resolutions.push_back(std::to_string(dpi) + "dpi");
  EXPECT_EQ(resolutions, ppd->choicesOf(kResolutionKey));

  // Every named size is the PPD's size of that name, as libcups matches
  // PWG names to the PPD; the PPD's only others are Legal's aliases.
  std::set<std::string> named;
  for (const FamilyPaper& paper : familyPapers()) {
    EXPECT_EQ(ppd->paperSizeFor(paper.pwg), std::string(paper.ppd)) << paper.pwg;
    EXPECT_EQ(app.paperSizeFor(paper.pwg), std::string(paper.ppd)) << paper.pwg;
    named.emplace(paper.ppd);
  }
  for (const std::string& size : ppd->choicesOf("PageSize"))
    EXPECT_TRUE(named.count(size) || size == "Universal" || size == "OthEnv" || size == "Custom") << size;

  std::ifstream file(kPpdPath);
  std::stringstream text;
  text << file.rdbuf();
  std::smatch m;
  const std::string ppdText = text.str();
  ASSERT_TRUE(std::regex_search(ppdText, m, std::regex(R"(ParamCustomPageSize Width: 1 points (\d+) (\d+))")));
  EXPECT_EQ(std::stoi(m[1]), kCustomMinWidth);
  EXPECT_EQ(std::stoi(m[2]), kCustomMaxWidth);
  ASSERT_TRUE(std::regex_search(ppdText, m, std::regex(R"(ParamCustomPageSize Height: 2 points (\d+) (\d+))")));
  EXPECT_EQ(std::stoi(m[1]), kCustomMinHeight);
  EXPECT_EQ(std::stoi(m[2]), kCustomMaxHeight);
  EXPECT_EQ(app.paperSizeFor("Custom.300x500"), "Custom.300x500");
  EXPECT_EQ(app.paperSizeFor("na_index-4x6_4x6in"), "Custom.288.00x432.00");
}

// Each family setting offers its PPD option's choices; held-job routing
// leaves out the private hold, which needs a PIN the application cannot
// take safely.
TEST(FamilySettings, OfferThePpdsChoices) {
  std::unique_ptr<QueuePpd> ppd = QueuePpd::open(kPpdPath.c_str());
  ASSERT_NE(ppd, nullptr);
  std::set<std::string_view> attributes;
  for (const FamilySetting& setting : familySettings()) {
    EXPECT_TRUE(attributes.insert(setting.attribute).second) << setting.attribute;
    std::set<std::string> offered, inPpd;
    for (const FamilySettingChoice& choice : setting.choices) offered.emplace(choice.choice);
    for (const std::string& choice : ppd->choicesOf(setting.option))
      if (choice != kPrintConfidential) inPpd.insert(choice);
    EXPECT_EQ(offered, inPpd) << setting.attribute;
    EXPECT_EQ(choiceFor(setting, setting.choices.front().keyword), setting.choices.front().choice);
  }
  EXPECT_LE(attributes.size(), 32u) << "PAPPL takes at most 32 vendor attributes";
}
