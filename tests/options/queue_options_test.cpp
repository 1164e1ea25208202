// Queue defaults from the PPD and the settings of jobs from other clients.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "client_job.h"
#include "queue_ppd.h"

namespace {

const std::string kQueuePpd = std::string(PROJECT_SOURCE_DIR) + "/ppd/quorlan-pdf-laser.ppd";

// A copy of the queue's PPD with one default line changed, as
// "lpadmin -o Option-default=value" leaves it.
std::string ppdWithDefault(const std::string& option, const std::string& value) {
  std::ifstream in(kQueuePpd);
  std::ostringstream text;
  text << in.rdbuf();
  std::string ppd = text.str();
  const std::string key = "*Default" + option + ": ";
  size_t at = ppd.find(key);
  ppd.replace(at + key.size(), ppd.find('\n', at) - at - key.size(), value);
  const std::string path = ::testing::TempDir() + "/queue-" + option + ".ppd";
  std::ofstream(path) << ppd;
  return path;
}

std::string valueOf(const argumentStore& options, const char* name) {
  const std::string* value = options.getValue(name);
  return value ? *value : "<absent>";
}

}  // namespace

TEST(QueueDefaults, FillOnlyWhatTheJobLacks) {
  auto queue = QueuePpd::open(ppdWithDefault("TonerDarkness", "8").c_str());
  ASSERT_NE(queue, nullptr);
  auto options = argumentStore::initWithOptionString("StapleJob=TrueM");
  queue->applyDefaults(*options);
  EXPECT_EQ(valueOf(*options, "TonerDarkness"), "8");
  EXPECT_EQ(valueOf(*options, "StapleJob"), "TrueM");
  EXPECT_EQ(valueOf(*options, "HolePunch"), "PrinterS");
  EXPECT_EQ(valueOf(*options, "PrintTo"), "<absent>");  // printing at once is no default to add

  options = argumentStore::initWithOptionString("TonerDarkness=3");
  queue->applyDefaults(*options);
  EXPECT_EQ(valueOf(*options, "TonerDarkness"), "3");
}

TEST(QueueDefaults, FreeTextOptionsTakeNoPlaceholderAndLoseTheCustomPrefix) {
  auto queue = QueuePpd::open(kQueuePpd.c_str());
  auto options = argumentStore::initWithOptionString("");
  queue->applyDefaults(*options);
  EXPECT_EQ(valueOf(*options, "JRUSERNAME"), "<absent>");
  EXPECT_EQ(valueOf(*options, "JRHOLDKEY"), "<absent>");

  options = argumentStore::initWithOptionString(
      "JRUSERNAME=Custom.bob JRHOLDKEY=Custom.4321 media=Custom.612x1000");
  queue->applyDefaults(*options);
  EXPECT_EQ(valueOf(*options, "JRUSERNAME"), "bob");
  EXPECT_EQ(valueOf(*options, "JRHOLDKEY"), "4321");
  EXPECT_EQ(valueOf(*options, "media"), "Custom.612x1000");
}

TEST(QueueDefaults, AHeldJobDefaultApplies) {
  auto queue = QueuePpd::open(ppdWithDefault("PrintTo", "JRReserve").c_str());
  auto options = argumentStore::initWithOptionString("");
  queue->applyDefaults(*options);
  EXPECT_EQ(valueOf(*options, "PrintTo"), "JRReserve");
}

TEST(QueueDefaults, UnreadablePpdGivesNoQueue) {
  EXPECT_EQ(QueuePpd::open(nullptr), nullptr);
  EXPECT_EQ(QueuePpd::open(""), nullptr);
  EXPECT_EQ(QueuePpd::open("/nonexistent.ppd"), nullptr);
  EXPECT_EQ(QueuePpd::open("/etc/hostname"), nullptr);
}

TEST(QueuePaperSizes, PwgLegacyAndPpdNamesBecomeTheQueuesNames) {
  auto queue = QueuePpd::open(kQueuePpd.c_str());
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"iso_a4_210x297mm", "A4"},
      {"na_letter_8.5x11in", "Letter"},
      {"na_legal_8.5x14in", "Legal"},
      {"iso_a3_297x420mm", "A3"},
      {"na_ledger_11x17in", "11x17"},
      {"na_number-10_4.125x9.5in", "Comm10"},
      {"iso_dl_110x220mm", "DL"},
      {"iso_c5_162x229mm", "C5"},
      {"na_monarch_3.875x7.5in", "Monarch"},
      {"a4", "A4"},
      {"A4", "A4"},
      {"Comm10", "Comm10"},
      {"Env10", "Comm10"},
      {"custom_100x150mm", "Custom.283.46x425.20"},
      {"oe_photo-l_3.5x5in", "Custom.252.00x360.00"},
  };
  for (const auto& [media, expected] : cases)
    EXPECT_EQ(queue->paperSizeFor(media).value_or("<none>"), expected) << media;
  EXPECT_EQ(queue->paperSizeFor("tray-2"), std::nullopt);
  EXPECT_EQ(queue->paperSizeFor(""), std::nullopt);
}

TEST(ClientJobs, StandardOptionsBecomeTheMacKeys) {
  auto queue = QueuePpd::open(kQueuePpd.c_str());
  auto options = argumentStore::initWithOptionString(
      "sides=two-sided-long-edge media=iso_a4_210x297mm InputSlot=Tray2 collate=false "
      "PageSize=A4");
  EXPECT_FALSE(hasMacPrintSettings(*options));
  deriveMacPrintSettings(*options, ClientJob{"Linux job", "3", 3}, *queue);
  EXPECT_EQ(valueOf(*options, "com.apple.print.JobInfo.PMJobName"), "Linux job");
  EXPECT_EQ(valueOf(*options, "com.apple.print.PrintSettings.PMCopies..n."), "3");
  EXPECT_EQ(valueOf(*options, "com.apple.print.PrintSettings.PMDuplexing..n."), "2");
  EXPECT_EQ(valueOf(*options, "com.apple.print.PrintSettings.PMCopyCollate..b."), "false");
  EXPECT_EQ(valueOf(*options, "com.apple.print.PrintSettings.PMPrimaryPaperFeed..a.1"), "Tray2");
  EXPECT_EQ(valueOf(*options, "com.apple.print.PrintSettings.PMTotalBeginPages..n."), "3");
  EXPECT_EQ(valueOf(*options, "media"), "A4");
}

TEST(ClientJobs, PpdChoicesAndWhatIsMissing) {
  auto queue = QueuePpd::open(kQueuePpd.c_str());
  auto options = argumentStore::initWithOptionString(
      "Duplex=DuplexTumble multiple-document-handling=separate-documents-collated-copies "
      "PageSize=Legal");
  deriveMacPrintSettings(*options, ClientJob{"t", "1", std::nullopt}, *queue);
  EXPECT_EQ(valueOf(*options, "com.apple.print.PrintSettings.PMDuplexing..n."), "3");
  EXPECT_EQ(valueOf(*options, "com.apple.print.PrintSettings.PMCopyCollate..b."), "true");
  EXPECT_EQ(valueOf(*options, "media"), "Legal");
  EXPECT_EQ(valueOf(*options, "com.apple.print.PrintSettings.PMTotalBeginPages..n."), "<absent>");
  EXPECT_EQ(valueOf(*options, "com.apple.print.PrintSettings.PMPrimaryPaperFeed..a.1"), "<absent>");

  // sides wins over the PPD's Duplex; unknown values derive nothing.
  options = argumentStore::initWithOptionString("sides=one-sided Duplex=DuplexTumble collate=maybe");
  deriveMacPrintSettings(*options, ClientJob{"t", "1", 1}, *queue);
  EXPECT_EQ(valueOf(*options, "com.apple.print.PrintSettings.PMDuplexing..n."), "1");
  EXPECT_EQ(valueOf(*options, "com.apple.print.PrintSettings.PMCopyCollate..b."), "<absent>");
  EXPECT_EQ(valueOf(*options, "media"), "<absent>");
}

TEST(ClientJobs, MacJobsAreRecognisedByAnyAppleKey) {
  EXPECT_TRUE(hasMacPrintSettings(
      *argumentStore::initWithOptionString("x=1 com.apple.print.JobInfo.PMJobName=a")));
  EXPECT_FALSE(hasMacPrintSettings(*argumentStore::initWithOptionString("com.apple.printx=1")));
}
