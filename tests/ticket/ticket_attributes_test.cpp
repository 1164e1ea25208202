// Every translation table of the ticket, checked as whole documents.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "ticket_test_support.h"

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;  // option value, fragments

// Checks that option=value gives a document whose only attributes are the
// expected fragments, for each row.
void expectRows(const std::string& option, const Rows& rows, const std::string& extra = "") {
  for (const auto& [value, fragments] : rows)
    EXPECT_EQ(ticketText(extra + option + "='" + value + "'"), oneRangeDocument(fragments))
        << option << "=" << value;
}

const std::string kFirstSource = "com.apple.print.PrintSettings.PMPrimaryPaperFeed..a.1";

}  // namespace

TEST(TicketPaperTray, KeywordsGiveTheTrayNames) {
  expectRows(kFirstSource, {{"MultipurposeFeeder", "PaperTray=\"MP Feeder\" "},
                            {"ManualPaper", "PaperTray=\"Manual Paper\" "},
                            {"ManualEnv", "PaperTray=\"Manual Envelope\" "},
                            {"EnvFeeder", "PaperTray=\"Envelope Feeder\" "},
                            {"Tray5", "PaperTray=\"Tray 5\" "},
                            {"Tray4", "PaperTray=\"Tray 4\" "},
                            {"Tray3", "PaperTray=\"Tray 3\" "},
                            {"Tray2", "PaperTray=\"Tray 2\" "},
                            {"Tray1", "PaperTray=\"Tray 1\" "},
                            {"Tray 1", ""},
                            {"tray1", ""},
                            {"PrinterS", ""}});
}

TEST(TicketPaperSize, NamedSizesEnvelopesAndTheUniversalFallback) {
  expectRows("media", {{"A3", "PaperSize=\"A3\" "},
                       {"A4", "PaperSize=\"A4\" "},
                       {"A5", "PaperSize=\"A5\" "},
                       {"B4", "PaperSize=\"JISB4\" "},
                       {"B5", "PaperSize=\"JISB5\" "},
                       {"Letter", "PaperSize=\"Letter\" "},
                       {"Legal", "PaperSize=\"Legal\" "},
                       {"Executive", "PaperSize=\"Executive\" "},
                       {"Folio", "PaperSize=\"Folio\" "},
                       {"Statement", "PaperSize=\"Statement\" "},
                       {"Universal", "PaperSize=\"Universal\" "},
                       {"OthEnv", "PaperSize=\"Other Envelope\" "},
                       {"Monarch", "PaperSize=\"7 3/4 Envelope\" "},
                       {"Comm10", "PaperSize=\"10 Envelope\" "},
                       {"DL", "PaperSize=\"DL Envelope\" "},
                       {"C4", "PaperSize=\"9 Envelope\" "},
                       {"C5", "PaperSize=\"C5 Envelope\" "},
                       {"ISOB5", "PaperSize=\"B5 Envelope\" "},
                       {"11x17", "PaperSize=\"11x17\" "},
                       {"letter", "PaperSize=\"Universal\" "},
                       {"Custom.8x10in", "PaperSize=\"Universal\" "},
                       {"PrinterS", "PaperSize=\"Universal\" "}});
}

TEST(TicketMediaType, KeywordsAndPassThrough) {
  expectRows("MediaType", {{"Plain", "MediaType=\"Plain Paper\" "},
                           {"Bond", "MediaType=\"Bond\" "},
                           {"Transparency", "MediaType=\"Transparency\" "},
                           {"Card", "MediaType=\"Card Stock\" "},
                           {"Labels", "MediaType=\"Labels\" "},
                           {"Letterhead", "MediaType=\"Letterhead\" "},
                           {"Preprint", "MediaType=\"Preprinted\" "},
                           {"Colored", "MediaType=\"Colored Paper\" "},
                           {"Envelope", "MediaType=\"Envelope\" "},
                           {"Vinyl", "MediaType=\"Vinyl\" "},
                           {"Glossy", "MediaType=\"Glossy\" "},
                           {"Custom1", "MediaType=\"Custom Type 1\" "},
                           {"Custom2", "MediaType=\"Custom Type 2\" "},
                           {"Custom3", "MediaType=\"Custom Type 3\" "},
                           {"Custom4", "MediaType=\"Custom Type 4\" "},
                           {"Custom5", "MediaType=\"Custom Type 5\" "},
                           {"Custom6", "MediaType=\"Custom Type 6\" "},
                           {"Recycled", "MediaType=\"Recycled\" "},
                           {"Heavy & <thick>", "MediaType=\"Heavy &amp; &lt;thick&gt;\" "},
                           {"PrinterS", ""}});
}

TEST(TicketMediaType, PrinterSettingMeansEnvelopeOnlyOnEnvelopeSizes) {
  EXPECT_EQ(ticketText("media=Comm10 MediaType=PrinterS"),
            oneRangeDocument("PaperSize=\"10 Envelope\" MediaType=\"Envelope\" "));
  EXPECT_EQ(ticketText("media=Letter MediaType=PrinterS"),
            oneRangeDocument("PaperSize=\"Letter\" "));
  EXPECT_EQ(ticketText("media=Custom.8x10in MediaType=PrinterS"),
            oneRangeDocument("PaperSize=\"Universal\" "));
  EXPECT_EQ(ticketText("media=DL"), oneRangeDocument("PaperSize=\"DL Envelope\" "));
  EXPECT_EQ(ticketText("media=A4 MediaType=Envelope"),
            oneRangeDocument("PaperSize=\"A4\" MediaType=\"Envelope\" "));
  EXPECT_EQ(ticketText("MediaType=PrinterS"), oneRangeDocument(""));
}

TEST(TicketDuplex, NumberedModesOnly) {
  expectRows("com.apple.print.PrintSettings.PMDuplexing..n.",
             {{"1", "Duplex=\"Simplex\" "},
              {"2", "Duplex=\"Long Edge\" "},
              {"3", "Duplex=\"Short Edge\" "},
              {"0", ""},
              {"4", ""},
              {"02", ""},
              {"PrinterS", ""}});
}

TEST(TicketResolution, DpiDroppedQualityKeywordsKept) {
  expectRows("Resolution", {{"300dpi", "Resolution=\"300\" "},
                            {"600dpi", "Resolution=\"600\" "},
                            {"1200dpi", "Resolution=\"1200\" "},
                            {"1200IQ", "Resolution=\"1200IQ\" "},
                            {"2400IQ", "Resolution=\"2400IQ\" "},
                            {"4800CQ", "Resolution=\"4800CQ\" "},
                            {"1200", ""},
                            {"PrinterS", ""}});
}

TEST(TicketHolePunch, OnlyTheMForms) {
  expectRows("HolePunch", {{"FalseM", "HolePunch=\"Off\" "},
                           {"TrueM", "HolePunch=\"On\" "},
                           {"2Hole", "HolePunch=\"2-Hole\" "},
                           {"3Hole", "HolePunch=\"3-Hole\" "},
                           {"4Hole", "HolePunch=\"4-Hole\" "},
                           {"True", ""},
                           {"False", ""},
                           {"PrinterS", ""}});
}

TEST(TicketStaple, TwoWaysOffOneWayOn) {
  expectRows("StapleJob", {{"False", "Staple=\"Off\" "},
                           {"FalseM", "Staple=\"Off\" "},
                           {"TrueM", "Staple=\"On\" "},
                           {"Auto", "Staple=\"Auto\" "},
                           {"Front", "Staple=\"Front\" "},
                           {"Back", "Staple=\"Back\" "},
                           {"Dual", "Staple=\"Dual\" "},
                           {"True", ""},
                           {"PrinterS", ""}});
}

TEST(TicketTonerSaver, DecidedByTheDarknessNumber) {
  expectRows("TonerDarkness", {{"5", "TonerSaver=\"On\" "},
                               {"6", "TonerSaver=\"Off\" "},
                               {"10", "TonerSaver=\"Off\" "},
                               {" 7", "TonerSaver=\"Off\" "},
                               {"0", "TonerSaver=\"On\" "},
                               {"-9", "TonerSaver=\"On\" "},
                               {"abc", "TonerSaver=\"On\" "},
                               {"PrinterS", ""}});
}

TEST(TicketCollation, OnlyLowerCaseTrueCollates) {
  expectRows("com.apple.print.PrintSettings.PMCopyCollate..b.",
             {{"true", "Collation=\"On\" "},
              {"TRUE", "Collation=\"Off\" "},
              {"false", "Collation=\"Off\" "},
              {"PrinterS", "Collation=\"Off\" "}});
}

TEST(TicketOutputBin, BinsFinisherBinsAndBinZero) {
  expectRows("OutputBin", {{"Bin1", "OutputBin=\"1\" "},
                           {"FinisherBin1", "OutputBin=\"1\" "},
                           {"Bin2", "OutputBin=\"2\" "},
                           {"FinisherBin2", "OutputBin=\"2\" "},
                           {"Bin3", "OutputBin=\"3\" "},
                           {"Bin4", "OutputBin=\"4\" "},
                           {"Bin5", "OutputBin=\"5\" "},
                           {"Bin6", "OutputBin=\"6\" "},
                           {"Bin7", "OutputBin=\"7\" "},
                           {"Bin8", "OutputBin=\"8\" "},
                           {"Bin9", "OutputBin=\"9\" "},
                           {"Bin10", "OutputBin=\"10\" "},
                           {"StandardBin", "OutputBin=\"0\" "},
                           {"2ndExitBin", "OutputBin=\"0\" "},
                           {"Bin11", ""},
                           {"FinisherBin3", ""},
                           {"PrinterS", ""}});
}

TEST(TicketAttributes, AllAttributesKeepTheirDocumentOrder) {
  EXPECT_EQ(ticketText("OutputBin=Bin2 com.apple.print.PrintSettings.PMCopyCollate..b.=false "
                       "TonerDarkness=9 StapleJob=Dual HolePunch=2Hole Resolution=1200IQ "
                       "com.apple.print.PrintSettings.PMDuplexing..n.=3 MediaType=Glossy media=A5 " +
                       kFirstSource + "=EnvFeeder"),
            oneRangeDocument("PaperTray=\"Envelope Feeder\" PaperSize=\"A5\" MediaType=\"Glossy\" "
                             "Duplex=\"Short Edge\" Resolution=\"1200IQ\" HolePunch=\"2-Hole\" "
                             "Staple=\"Dual\" TonerSaver=\"Off\" Collation=\"Off\" "
                             "OutputBin=\"2\" "));
}
