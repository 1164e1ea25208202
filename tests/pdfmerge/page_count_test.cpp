// The page count from the page tree, for the accounting of jobs.
#include "page_count.h"

#include <gtest/gtest.h>

#include "pdf_builder.h"

namespace {

std::string sample(const std::string& name) { return std::string(SAMPLE_DATA_DIR) + "/" + name; }

}  // namespace

TEST(PageCount, ClassicTablesAndObjectStreams) {
  EXPECT_EQ(countPagesInFile(sample("letter-1page.pdf")), 1);
  EXPECT_EQ(countPagesInFile(sample("a4-3pages.pdf")), 3);
  // Catalog and page tree inside object streams, found through a
  // cross-reference stream.
  const std::string packed = ::testing::TempDir() + "/packed-3pages.pdf";
  ASSERT_EQ(shell("qpdf --object-streams=generate " + sample("a4-3pages.pdf") + " " + packed), 0);
  EXPECT_EQ(countPagesInFile(packed), 3);
  // A merged file keeps its pages.
  const std::string ticket = ::testing::TempDir() + "/ticket.xml";
  const std::string merged = ::testing::TempDir() + "/merged-3pages.pdf";
  writeWhole(ticket, "<QuorlanFormJobTicket JobName=\"\" >\n</QuorlanFormJobTicket>\n");
  ASSERT_EQ(mergeTicket(packed, merged, ticket).status, kMergeOk);
  EXPECT_EQ(countPagesInFile(merged), 3);
}

TEST(PageCount, NothingForWhatCannotBeRead) {
  EXPECT_EQ(countPagesInFile("/nonexistent.pdf"), std::nullopt);
  EXPECT_EQ(countPages(""), std::nullopt);
  EXPECT_EQ(countPages("%PDF-1.4\nnot a pdf\n"), std::nullopt);
  const std::string noCount =
      "%PDF-1.4\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n"
      "2 0 obj\n<< /Type /Pages /Kids [] >>\nendobj\n";
  const size_t xref = noCount.size();
  const std::string pdf = noCount + "xref\n0 3\n0000000000 65535 f \n0000000009 00000 n \n"
                                    "0000000058 00000 n \ntrailer\n<< /Size 3 /Root 1 0 R >>\n"
                                    "startxref\n" + std::to_string(xref) + "\n%%EOF\n";
  EXPECT_EQ(countPages(pdf), std::nullopt);
  std::string withCount = pdf;
  withCount.replace(withCount.find("/Kids [] "), 9, "/Count 7 ");
  EXPECT_EQ(countPages(withCount), 7);
}

// A catalog key that only begins like the ticket key is another key: the
// merge adds its own ticket and leaves that key's object alone.
TEST(TicketKey, OnlyTheWholeNameCounts) {
  const std::string objects =
      "%PDF-1.4\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R /QuorlanJobTicket2 2 0 R >>\nendobj\n"
      "2 0 obj\n<< /Type /Pages /Kids [] /Count 0 >>\nendobj\n";
  const size_t second = objects.find("2 0 obj");
  char entries[64];
  snprintf(entries, sizeof entries, "0000000009 00000 n \n%010zu 00000 n \n", second);
  const std::string pdf = objects + "xref\n0 3\n0000000000 65535 f \n" + entries +
                          "trailer\n<< /Size 3 /Root 1 0 R >>\nstartxref\n" +
                          std::to_string(objects.size()) + "\n%%EOF\n";
  const std::string in = ::testing::TempDir() + "/longer-key.pdf";
  const std::string ticket = ::testing::TempDir() + "/longer-key-ticket.xml";
  const std::string out = ::testing::TempDir() + "/longer-key-merged.pdf";
  writeWhole(in, pdf);
  writeWhole(ticket, "<QuorlanFormJobTicket JobName=\"k\" >\n</QuorlanFormJobTicket>\n");
  ASSERT_EQ(mergeTicket(in, out, ticket).status, kMergeOk);
  const std::string merged = readWhole(out);
  EXPECT_NE(merged.find("/QuorlanJobTicket 3 0 R"), std::string::npos);
  EXPECT_EQ(countPagesInFile(out), 0);
  MergeResult back;
  EXPECT_EQ(extractTicket(out, ::testing::TempDir(), back), readWhole(ticket));
  EXPECT_EQ(shell("qpdf --check " + out + " > /dev/null"), 0);
}
