// The ticket document: structure, page ranges, copy count and the writer.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "ticket_test_support.h"

namespace {

const std::string kWorkedExample =
    "com.apple.print.JobInfo.PMJobName='Quarterly report' "
    "com.apple.print.PrintSettings.PMTotalBeginPages..n.=3 "
    "com.apple.print.PrintSettings.PMPrimaryPaperFeed..a.1=Tray1 InputSlot=Tray1 "
    "media=Letter MediaType=Plain com.apple.print.PrintSettings.PMDuplexing..n.=2 "
    "Resolution=600dpi StapleJob=PrinterS TonerDarkness=8 "
    "com.apple.print.PrintSettings.PMCopyCollate..b.=true OutputBin=Bin1 "
    "com.apple.print.PrintSettings.PMCopies..n.=2";

std::vector<std::string> fragmentsOf(const std::string& optionString, int32_t newCopiesCount) {
  auto ticket = formJobTicket::initWithTicket(
      argumentStore::initWithOptionString(optionString.c_str()), newCopiesCount);
  std::vector<std::string> fragments;
  for (uint32_t i = 0; i < ticket->count(); ++i) fragments.push_back(ticket->objectOfKey(i));
  return fragments;
}

// The shared attribute fragments of the worked example's ranges.
const std::vector<std::string> kWorkedAttributes = {
    "PaperSize=\"Letter\" ", "MediaType=\"Plain Paper\" ", "Duplex=\"Long Edge\" ",
    "Resolution=\"600\" ",   "TonerSaver=\"Off\" ",        "Collation=\"On\" ",
    "OutputBin=\"1\" ",      "Copies=\"2\"",               ">\n",
    "</PageAttribRange>\n"};

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

TEST(TicketDocument, WorkedExampleGivesItsFifteenFragments) {
  std::vector<std::string> expected = {"<QuorlanFormJobTicket JobName=\"Quarterly report\" ", ">\n",
                                       "<PageAttribRange StartPageNum=\"1\" EndPageNum=\"3\" ",
                                       "PaperTray=\"Tray 1\" "};
  expected.insert(expected.end(), kWorkedAttributes.begin(), kWorkedAttributes.end());
  expected.push_back("</QuorlanFormJobTicket>\n");
  EXPECT_EQ(fragmentsOf(kWorkedExample, 0), expected);
  EXPECT_EQ(ticketText(kWorkedExample, 0).size(), 299u);
}

TEST(TicketDocument, DifferentSourcesGiveTheFirstPageARangeOfItsOwn) {
  std::vector<std::string> expected = {"<QuorlanFormJobTicket JobName=\"Quarterly report\" ", ">\n",
                                       "<PageAttribRange StartPageNum=\"1\" EndPageNum=\"1\" ",
                                       "PaperTray=\"Tray 1\" "};
  expected.insert(expected.end(), kWorkedAttributes.begin(), kWorkedAttributes.end());
  expected.push_back("<PageAttribRange StartPageNum=\"2\" EndPageNum=\"3\" ");
  expected.push_back("PaperTray=\"Tray 2\" ");
  expected.insert(expected.end(), kWorkedAttributes.begin(), kWorkedAttributes.end());
  expected.push_back("</QuorlanFormJobTicket>\n");
  EXPECT_EQ(fragmentsOf(kWorkedExample + " InputSlot=Tray2", 0), expected);
}

TEST(TicketDocument, WithoutOptions) {
  EXPECT_EQ(ticketText("", 1),
            "<QuorlanFormJobTicket JobName=\"\" >\n"
            "<PageAttribRange StartPageNum=\"1\" EndPageNum=\"1\" Copies=\"1\">\n"
            "</PageAttribRange>\n</QuorlanFormJobTicket>\n");
  EXPECT_EQ(ticketText("", 1).size(), 139u);
  EXPECT_EQ(ticketText("", 0),
            "<QuorlanFormJobTicket JobName=\"\" >\n"
            "<PageAttribRange StartPageNum=\"1\" EndPageNum=\"1\" >\n"
            "</PageAttribRange>\n</QuorlanFormJobTicket>\n");
  EXPECT_EQ(ticketText("", 0).size(), 129u);
}

TEST(TicketPageRanges, PageCountAndSources) {
  const std::string pages = "com.apple.print.PrintSettings.PMTotalBeginPages..n.=";
  const std::string first = "com.apple.print.PrintSettings.PMPrimaryPaperFeed..a.1=";
  EXPECT_EQ(ticketText(pages + "0"), oneRangeDocument("", 0));
  EXPECT_EQ(ticketText(pages + "-2"), oneRangeDocument("", -2));
  EXPECT_EQ(ticketText(pages + "abc"), oneRangeDocument("", 0));
  EXPECT_EQ(ticketText(pages + "12"), oneRangeDocument("", 12));

  // Different sources with one page, or no page count: only the first page.
  EXPECT_EQ(ticketText(first + "Tray1 InputSlot=Tray2 " + pages + "1"),
            oneRangeDocument("PaperTray=\"Tray 1\" "));
  EXPECT_EQ(ticketText(first + "Tray1 InputSlot=Tray2"), oneRangeDocument("PaperTray=\"Tray 1\" "));

  // Only one of the two sources: one range, and InputSlot alone is unused.
  EXPECT_EQ(ticketText("InputSlot=Tray2 " + pages + "4"), oneRangeDocument("", 4));
  EXPECT_EQ(ticketText(first + "Tray3 " + pages + "4"), oneRangeDocument("PaperTray=\"Tray 3\" ", 4));
}

TEST(TicketPageRanges, TwoRangesShareEveryAttributeButTheTray) {
  const std::string options =
      "com.apple.print.PrintSettings.PMPrimaryPaperFeed..a.1=ManualPaper InputSlot=Tray4 "
      "com.apple.print.PrintSettings.PMTotalBeginPages..n.=5 media=Comm10 MediaType=PrinterS "
      "HolePunch=3Hole StapleJob=Front TonerDarkness=2 OutputBin=StandardBin";
  const std::string shared =
      "PaperSize=\"10 Envelope\" MediaType=\"Envelope\" HolePunch=\"3-Hole\" "
      "Staple=\"Front\" TonerSaver=\"On\" OutputBin=\"0\" Copies=\"1\">\n</PageAttribRange>\n";
  EXPECT_EQ(ticketText(options),
            "<QuorlanFormJobTicket JobName=\"\" >\n"
            "<PageAttribRange StartPageNum=\"1\" EndPageNum=\"1\" PaperTray=\"Manual Paper\" " +
                shared + "<PageAttribRange StartPageNum=\"2\" EndPageNum=\"5\" PaperTray=\"Tray 4\" " +
                shared + "</QuorlanFormJobTicket>\n");
}

TEST(TicketCopies, PrinterCopiesOrTheJobsCount) {
  const std::string copies = "com.apple.print.PrintSettings.PMCopies..n.=";
  auto rangeLine = [](const std::string& document) {
    size_t start = document.find("<PageAttribRange");
    return document.substr(start, document.find('\n', start) - start);
  };
  EXPECT_EQ(rangeLine(ticketText(copies + "5", 1)),
            "<PageAttribRange StartPageNum=\"1\" EndPageNum=\"1\" Copies=\"1\">");
  EXPECT_EQ(rangeLine(ticketText(copies + "5", 0)),
            "<PageAttribRange StartPageNum=\"1\" EndPageNum=\"1\" Copies=\"5\">");
  EXPECT_EQ(rangeLine(ticketText(copies + "abc", 0)),
            "<PageAttribRange StartPageNum=\"1\" EndPageNum=\"1\" Copies=\"0\">");
  EXPECT_EQ(rangeLine(ticketText(copies + "007", 0)),
            "<PageAttribRange StartPageNum=\"1\" EndPageNum=\"1\" Copies=\"7\">");
  EXPECT_EQ(rangeLine(ticketText("OutputBin=Bin3", 0)),
            "<PageAttribRange StartPageNum=\"1\" EndPageNum=\"1\" OutputBin=\"3\" >");
}

TEST(TicketJobName, PlainNamesVerbatimOthersEscaped) {
  const std::string name = "com.apple.print.JobInfo.PMJobName=";
  auto firstLine = [](const std::string& document) { return document.substr(0, document.find('\n')); };
  EXPECT_EQ(firstLine(ticketText(name + "'Annual  report 2026'")),
            "<QuorlanFormJobTicket JobName=\"Annual  report 2026\" >");
  EXPECT_EQ(firstLine(ticketText(name + "\"Q&A \\\"draft\\\" <v2>\"")),
            "<QuorlanFormJobTicket JobName=\"Q&amp;A &quot;draft&quot; &lt;v2&gt;\" >");
  EXPECT_EQ(firstLine(ticketText(name + "R\xC3\xA9sum\xC3\xA9")),
            "<QuorlanFormJobTicket JobName=\"R\xC3\xA9sum\xC3\xA9\" >");
  EXPECT_EQ(firstLine(ticketText(name + "R\xE9sum\xE9")),
            "<QuorlanFormJobTicket JobName=\"R&#xE9;sum&#xE9;\" >");
}

TEST(TicketWriter, WritesEveryFragmentIntoTheExistingFile) {
  char path[] = "/tmp/tp-ticket-XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  auto ticket = formJobTicket::initWithTicket(
      argumentStore::initWithOptionString(kWorkedExample.c_str()), 0);
  EXPECT_EQ(ticket->writeQFJTtoFile(path), TicketWriteStatus::written);
  EXPECT_EQ(readWhole(path), ticket->text());
  unlink(path);

  // The writer never creates a file.
  EXPECT_EQ(ticket->writeQFJTtoFile(path), TicketWriteStatus::notOpened);
  EXPECT_NE(access(path, F_OK), 0);
}

TEST(TicketWriter, FullDiskIsReportedAsIncomplete) {
  auto ticket = formJobTicket::initWithTicket(argumentStore::initWithOptionString(""), 1);
  EXPECT_EQ(ticket->writeQFJTtoFile("/dev/full"), TicketWriteStatus::incomplete);
}
