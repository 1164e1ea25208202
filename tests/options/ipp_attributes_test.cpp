// IPP job attributes as PPD options: a PIN never lets a job print
// unprotected, and the finishings the code maps are the PPD's own.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <tuple>

#include "ipp_job_attributes.h"

namespace {

struct PinCase {
  std::string options;
  std::optional<std::string> printTo;  // after the rule; nullopt when refused
  std::string holdKey;
};

std::string valueOf(const argumentStore& options, const char* name) {
  const std::string* value = options.getValue(name);
  return value ? *value : "<absent>";
}

}  // namespace

TEST(JobPassword, HoldsTheJobPrivatelyOrRefusesIt) {
  const std::vector<PinCase> cases = {
      {"job-password=2468", "JRConf", "2468"},
      {"job-password=2468 job-password-encryption=none", "JRConf", "2468"},
      {"job-password=12345678", "JRConf", "12345678"},
      // Printing at once is the neutral choice (macOS sends it always); a PIN overrules it.
      {"job-password=2468 PrintTo=JRPrinter", "JRConf", "2468"},
      {"job-password=2468 PrintTo=JRConf JRHOLDKEY=1111", "JRConf", "1111"},
      // A public hold, a hashed PIN, or a PIN the panel cannot take: not printed.
      {"job-password=2468 PrintTo=JRReserve", std::nullopt, ""},
      {"job-password=2468 job-password-encryption=md5", std::nullopt, ""},
      {"job-password=123", std::nullopt, ""},
      {"job-password=123456789", std::nullopt, ""},
      {"job-password=12a4", std::nullopt, ""},
      {"job-password=", std::nullopt, ""},
  };
  for (const PinCase& c : cases) {
    auto options = argumentStore::initWithOptionString(c.options.c_str());
    std::optional<std::string> refusal = holdUnderJobPassword(*options);
    if (!c.printTo) {
      ASSERT_TRUE(refusal) << c.options;
      EXPECT_NE(refusal->find("PIN (job-password)"), std::string::npos) << c.options;
      EXPECT_EQ(refusal->find("2468"), std::string::npos) << "the reason never shows the PIN";
      continue;
    }
    EXPECT_FALSE(refusal) << c.options;
    EXPECT_EQ(valueOf(*options, "PrintTo"), *c.printTo) << c.options;
    EXPECT_EQ(valueOf(*options, "JRHOLDKEY"), c.holdKey) << c.options;
  }
  auto none = argumentStore::initWithOptionString("PrintTo=JRReserve");
  EXPECT_FALSE(holdUnderJobPassword(*none));
  EXPECT_EQ(valueOf(*none, "PrintTo"), "JRReserve");
}

// CUPS maps finishings through the PPD's cupsIPPFinishings lines; a queue
// whose PPD lacks them gets the same choices from the filter.
TEST(Finishings, ThePpdAndTheFilterMapTheSameValues) {
  std::ifstream ppd(std::string(PROJECT_SOURCE_DIR) + "/ppd/quorlan-pdf-laser.ppd");
  const std::regex line(R"re(\*cupsIPPFinishings (\d+)/[^:]*: "\*(\w+) (\w+)")re");
  std::set<std::tuple<int, std::string, std::string>> inPpd, inFilter;
  for (std::string text; std::getline(ppd, text);) {
    std::smatch m;
    if (std::regex_match(text, m, line)) inPpd.emplace(std::stoi(m[1]), m[2], m[3]);
  }
  for (const FinishingChoice& row : kFinishingChoices)
    inFilter.emplace(row.finishing, std::string(row.option), std::string(row.choice));
  EXPECT_EQ(inPpd, inFilter);
  EXPECT_EQ(inPpd.size(), 7u);

  auto options = argumentStore::initWithOptionString("finishings=3,20,5,82 HolePunch=FalseM");
  mapJobAttributes(*options, nullptr);
  EXPECT_EQ(valueOf(*options, "StapleJob"), "Front");
  EXPECT_EQ(valueOf(*options, "HolePunch"), "FalseM") << "the job's own choice stays";
}
