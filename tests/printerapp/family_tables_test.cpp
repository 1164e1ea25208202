// The printer application's choices are the PPD's: the same trays, media
// types, output bins, resolutions, paper sizes, custom size range and
// family settings, so that both front ends offer and print the same.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "family_settings.h"
#include "family_tables.h"
#include "ipp_job_attributes.h"
#include "option_keys.h"
#include "queue_ppd.h"

namespace {

const std::string kPpdPath = std::string(PROJECT_SOURCE_DIR) + "/ppd/quorlan-pdf-laser.ppd";

// The PPD's labels: of an option under "Option", of a choice under
// "Option Choice", as its "*OpenUI *Option/Label:" and "*Option
// Choice/Label:" lines give them.
std::map<std::string, std::string> ppdLabels() {
  std::ifstream file(kPpdPath);
  const std::regex openUi(R"(^\*OpenUI \*(\w+)/([^:]*):.*)");
  const std::regex choice(R"(^\*(\w+) ([^*/:\s]+)/([^:]*):.*)");
  std::map<std::string, std::string> labels;
  std::smatch m;
  for (std::string line; std::getline(file, line);) {
    if (std::regex_match(line, m, openUi))
      labels[m[1]] = m[2];
    else if (std::regex_match(line, m, choice))
      labels[std::string(m[1]) + " " + std::string(m[2])] = m[3];
  }
  return labels;
}

}  // namespace

TEST(FamilyTables, AgreeWithThePpd) {
  std::unique_ptr<QueuePpd> ppd = QueuePpd::open(kPpdPath.c_str());
  ASSERT_NE(ppd, nullptr);
  const FamilyChoices app;
  for (std::string_view option : {kInputSlotKey, kMediaTypeKey, kOutputBinKey})
    EXPECT_EQ(app.choicesOf(option), ppd->choicesOf(option)) << option;
  // The web pages label them as the PPD does.
  auto labels = ppdLabels();
  for (const FamilyTray& tray : familyTrays())
    EXPECT_EQ(labels[std::string(kInputSlotKey) + " " + std::string(tray.ppd)], tray.label) << tray.ppd;
  for (const LabelledChoice& type : familyMediaTypes())
    EXPECT_EQ(labels[std::string(kMediaTypeKey) + " " + std::string(type.ppd)], type.label) << type.ppd;
  for (const LabelledChoice& bin : familyOutputBins())
    EXPECT_EQ(labels[std::string(kOutputBinKey) + " " + std::string(bin.ppd)], bin.label) << bin.ppd;

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

// Each family setting offers its PPD option's choices under the PPD's
// labels; held-job routing leaves out the private hold, which needs a PIN
// the application cannot take safely.
TEST(FamilySettings, OfferThePpdsChoices) {
  std::unique_ptr<QueuePpd> ppd = QueuePpd::open(kPpdPath.c_str());
  ASSERT_NE(ppd, nullptr);
  auto labels = ppdLabels();
  std::set<std::string_view> attributes;
  for (const FamilySetting& setting : familySettings()) {
    EXPECT_TRUE(attributes.insert(setting.attribute).second) << setting.attribute;
    const std::string option(setting.option);
    EXPECT_EQ(labels[option], setting.label) << setting.attribute;
    std::set<std::string> offered, inPpd;
    for (const FamilySettingChoice& choice : setting.choices) {
      offered.emplace(choice.choice);
      EXPECT_EQ(labels[option + " " + std::string(choice.choice)], choice.label) << setting.attribute << " " << choice.choice;
    }
    for (const std::string& choice : ppd->choicesOf(setting.option))
      if (choice != kPrintConfidential) inPpd.insert(choice);
    EXPECT_EQ(offered, inPpd) << setting.attribute;
    EXPECT_EQ(choiceFor(setting, setting.choices.front().keyword), setting.choices.front().choice);
  }
  EXPECT_LE(attributes.size(), 32u) << "PAPPL takes at most 32 vendor attributes";
}

// Every tray has a keyword of its own, and its keyword and its old name
// (CUPS's name of its PPD choice, which old clients and kept states use)
// lead a job, in any case, to its InputSlot and to no other.
TEST(FamilyTrays, EachNameLeadsToOneTray) {
  std::set<std::string> keywords;
  for (const FamilyTray& tray : familyTrays()) {
    EXPECT_TRUE(keywords.emplace(tray.keyword).second) << tray.keyword;
    const std::string old = pwgNameOf(tray.ppd, PwgChoiceKind::mediaSource);
    std::string capitalised(tray.keyword);
    capitalised[0] = static_cast<char>(capitalised[0] - 'a' + 'A');
    for (const std::string& name : {std::string(tray.keyword), old, capitalised}) {
      auto options = argumentStore::initWithOptionString("");
      options->setValue("media-source", name);
      const FamilyChoices app;
      mapJobAttributes(*options, &app);
      const std::string* slot = options->getValue(kInputSlotKey);
      ASSERT_NE(slot, nullptr) << name;
      EXPECT_EQ(*slot, tray.ppd) << name;
    }
  }
  EXPECT_EQ(familyTrayNamed("MANUAL-PAPER"), familyTrayNamed("manual"));
  EXPECT_EQ(familyTrayNamed("printer-s"), nullptr);
}
