// The merge: the exact bytes of first and second merges, the trailer that
// the update carries, extraction, the catalog and ticket key rules, the
// failure statuses, both section styles and encrypted input.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "pdf_builder.h"
#include "pdf_bytes.h"
#include "update_writer.h"
#include "xref_reader.h"

namespace {

const std::string kTicket = "<?xml version=\"1.0\"?>\r\n<ticket a=\"1\">\n  <x/>\n</ticket>";

// Objects 1..13 with the catalog as object 12, one classic section.
PdfBuilder catalogTwelve(const std::string& trailer = "<< /Size 14 /Root 12 0 R >>") {
  PdfBuilder pdf;
  for (int n = 1; n <= 13; ++n)
    pdf.addObject(n, n == 12 ? "<< /Type /Catalog /Pages 1 0 R >>" : "<< /Obj " + std::to_string(n) + " >>");
  pdf.finish(pdf.classicSection(trailer));
  return pdf;
}

// The input with its last five bytes made a comment line.
std::string withEndOverwritten(std::string input) {
  input.replace(input.size() - 5, 5, "%%%%\n");
  return input;
}

// The ticket object's bytes.
std::string ticketObject(int num) {
  return std::to_string(num) + " 0 obj\n<< /Type /Metadata /Subtype /XML /Length " +
         std::to_string(kTicket.size()) + " >>\nstream\n" + kTicket + "endstream\nendobj\n";
}

// Kept trailer text for a newest trailer.
std::string keptText(const std::string& trailer) {
  TrailerCopy copy;
  copy.text = trailer;
  size_t pos = 7;
  SyntaxError error;
  EXPECT_TRUE(parsePdfObject(copy.text, pos, copy.dict, error)) << error.what;
  std::string text;
  MergeResult fault;
  EXPECT_TRUE(classicTrailerText(copy, text, fault));
  return text;
}

class MergeTest : public ::testing::Test {
 protected:
  void SetUp() override { writeWhole(ticket, kTicket); }
  // Writes bytes as the input and merges; expects success.
  std::string merge(const std::string& bytes) {
    writeWhole(in, bytes);
    MergeResult result = mergeTicket(in, out, ticket);
    EXPECT_EQ(result.status, 0) << result.message;
    return readWhole(out);
  }
  TempFolder folder;
  std::string in = folder / "in.pdf", out = folder / "out.pdf", ticket = folder / "ticket.xml";
};

}  // namespace

TEST_F(MergeTest, FirstMergeIntoCatalogTwelve) {
  PdfBuilder pdf = catalogTwelve();
  int64_t startxref = pdf.bytes.find("xref\n");
  std::string expected = withEndOverwritten(pdf.bytes);
  int64_t rootAt = expected.size();
  expected += "12 0 obj\n<<\n/QuorlanJobTicket 14 0 R\n /Type /Catalog /Pages 1 0 R >>\nendobj\n";
  int64_t ticketAt = expected.size();
  expected += ticketObject(14);
  int64_t xrefAt = expected.size();
  expected += "xref\n12 1\n" + tenDigits(rootAt) + " 00000 n \n14 1\n" + tenDigits(ticketAt) + " 00000 n \n";
  expected += "trailer\n<< /Size 15\n/Root 12 0 R\n/Prev " + std::to_string(startxref) + " >>\n";
  expected += "startxref\n" + std::to_string(xrefAt) + "\n%%EOF\n";
  EXPECT_EQ(merge(pdf.bytes), expected);
}

TEST_F(MergeTest, SecondMergeReusesTheTicketNumber) {
  std::string first = merge(catalogTwelve().bytes);
  int64_t firstXref = GetStartXref(first);
  std::string expected = withEndOverwritten(first);
  int64_t ticketAt = expected.size();
  expected += ticketObject(14);
  int64_t xrefAt = expected.size();
  expected += "xref\n14 1\n" + tenDigits(ticketAt) + " 00000 n \n";
  expected += "trailer\n<< /Size 15\n/Root 12 0 R\n/Prev " + std::to_string(firstXref) + " >>\n";
  expected += "startxref\n" + std::to_string(xrefAt) + "\n%%EOF\n";
  EXPECT_EQ(merge(first), expected);
  MergeResult result;
  EXPECT_EQ(extractTicket(out, folder.path, result), kTicket);
}

TEST_F(MergeTest, ExtractGivesTheTicketBackToFileAndDescriptor) {
  merge(catalogTwelve().bytes);
  MergeResult result;
  EXPECT_EQ(extractTicket(out, folder.path, result), kTicket);
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(result.message.empty());
  std::string toFd = folder / "fd";
  int fd = open(toFd.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  result = insertQFJT(2, {"x", out}, fd);
  close(fd);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(readWhole(toFd), kTicket);
}

TEST(TrailerText, KeptTextCarriedKeysAndNoRepeats) {
  struct Case { std::string trailer, kept; } cases[] = {
      {"trailer\n<< /Size 14 /Root 12 0 R >>\n", "trailer\n<< "},
      {"trailer\n<< /Size 14 /Root 12 0 R /Prev 100 >>\n", "trailer\n<< "},
      {"trailer\n<<\n/Prev 100\n/Info 3 0 R\n/Size 14\n/Root 12 0 R\n>>\n", "trailer\n<<\n/Info 3 0 R\n"},
      {"trailer << /Root 1 0 R /Size 10 /ID [<0a><0b>] >>\n", "trailer << /ID [<0a><0b>]\n"},
      {"trailer\n<< /Size 9 /Root 1 0 R /Info 5 0 R /ID [<a><b>] /Encrypt 7 0 R /XRefStm 99 >>\n",
       "trailer\n<< /Info 5 0 R\n/ID [<a><b>]\n/Encrypt 7 0 R\n"},
      {"trailer\n<< /Size 15\n/Root 12 0 R\n/Prev 77 >>\n", "trailer\n<< "},
      {"trailer\n<< /Size 9 /ID [<a>\n<b>] /Root 1 0 R\n/Prev 5 >>\n", "trailer\n<<  /ID [<a>\n<b>]\n"},
      {"trailer\n<< /Info 2 0 R /Size 9 /Info 3 0 R >>\n", "trailer\n<< /Info 2 0 R "},
  };
  for (const Case& c : cases) EXPECT_EQ(keptText(c.trailer), c.kept) << c.trailer;
}

TEST_F(MergeTest, TicketKeyOutsideTheCatalogIsIgnored) {
  PdfBuilder pdf;
  pdf.addObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.addObject(2, "<< /Type /Pages /Kids [] /Count 0 /QuorlanJobTicket 3 0 R >>");
  pdf.addObject(3, "<< /Type /Font >>");
  pdf.finish(pdf.classicSection("<< /Size 4 /Root 1 0 R >>"));
  std::string merged = merge(pdf.bytes);
  EXPECT_NE(merged.find("1 0 obj\n<<\n/QuorlanJobTicket 4 0 R\n"), std::string::npos);
  EXPECT_NE(merged.find("4 0 obj\n<< /Type /Metadata"), std::string::npos);
  EXPECT_EQ(merged.find("3 0 obj", pdf.bytes.size()), std::string::npos);
}

TEST_F(MergeTest, StaleTicketKeyCountsAsNone) {
  PdfBuilder pdf;
  pdf.addObject(1, "<< /Type /Catalog /QuorlanJobTicket 40 0 R >>");
  pdf.finish(pdf.classicSection("<< /Size 2 /Root 1 0 R >>"));
  std::string merged = merge(pdf.bytes);
  EXPECT_NE(merged.find("1 0 obj\n<<\n/QuorlanJobTicket 2 0 R\n /Type /Catalog >>\nendobj\n"),
            std::string::npos) << "the stale key is left out, so the key is there once";
  EXPECT_NE(merged.find("/Size 3\n"), std::string::npos);
}

TEST_F(MergeTest, StreamSectionGetsAStreamUpdate) {
  PdfBuilder pdf("%PDF-1.5\n");
  pdf.addObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.addObject(2, "<< /Type /Pages /Kids [] /Count 0 >>");
  pdf.finish(pdf.streamSection(3, " /Root 1 0 R /Info 2 0 R /ID [<01><02>]", 2));
  std::string merged = merge(pdf.bytes);
  XrefChain chain;
  MergeResult fault;
  ASSERT_TRUE(readXrefChain(merged, chain, fault)) << fault.message;
  ASSERT_TRUE(chain.trailer[0].isStream);
  const PdfValue& dict = chain.trailer[0].dict;
  EXPECT_EQ(chain.trailer[0].text.substr(dictGet(dict, "ID")->start,
                                         dictGet(dict, "ID")->end - dictGet(dict, "ID")->start),
            "[<01><02>]");
  EXPECT_NE(dictGet(dict, "Info"), nullptr);
  EXPECT_EQ(dictGet(dict, "Prev")->integer, GetStartXref(pdf.bytes));
  EXPECT_EQ(dictGet(dict, "Size")->integer, 6);
  EXPECT_EQ(chain.table.findNumber(1)->objectP, static_cast<int64_t>(pdf.bytes.size()));
  MergeResult result;
  EXPECT_EQ(extractTicket(out, folder.path, result), kTicket);
  std::string second = merge(merged);
  ASSERT_TRUE(readXrefChain(second, chain = XrefChain(), fault)) << fault.message;
  EXPECT_EQ(dictGet(chain.trailer[0].dict, "Size")->integer, 7) << "ticket 4 reused, stream 6";
}

TEST_F(MergeTest, CatalogInAnObjectStreamIsWrittenAsAnOrdinaryObject) {
  std::string catalog = "<< /Type /Catalog /Pages 2 0 R >>";
  std::string payload = "1 0 " + catalog;
  PdfBuilder pdf("%PDF-1.5\n");
  pdf.addObject(2, "<< /Type /Pages /Kids [] /Count 0 >>");
  pdf.addObject(4, "<< /Type /ObjStm /N 1 /First 4 /Length " + std::to_string(payload.size()) +
                       " >>\nstream\n" + payload + "\nendstream");
  std::string rows = std::string("\x00\x00\x00\x00\x00\xff\xff\x02\x00\x00\x00\x04\x00\x00", 14);
  for (int64_t off : {pdf.offsets[2], int64_t{0}, pdf.offsets[4], static_cast<int64_t>(pdf.bytes.size())}) {
    rows += off == 0 ? '\x00' : '\x01';
    for (int shift = 24; shift >= 0; shift -= 8) rows += static_cast<char>((off >> shift) & 0xff);
    rows += std::string(2, '\0');
  }
  int64_t xref = pdf.bytes.size();
  pdf.bytes += "5 0 obj\n<< /Type /XRef /Size 6 /W [1 4 2] /Root 1 0 R /Length " +
               std::to_string(rows.size()) + " >>\nstream\n" + rows + "\nendstream\nendobj\n";
  pdf.finish(xref);
  std::string merged = merge(pdf.bytes);
  EXPECT_NE(merged.find("1 0 obj\n<<\n/QuorlanJobTicket 6 0 R\n /Type /Catalog /Pages 2 0 R >>\nendobj\n"),
            std::string::npos);
  MergeResult result;
  EXPECT_EQ(extractTicket(out, folder.path, result), kTicket);
}

TEST_F(MergeTest, EncryptionDecidesHowTheTicketIsStored) {
  PdfBuilder pdf;
  pdf.addObject(1, "<< /Type /Catalog >>");
  pdf.finish(pdf.classicSection("<< /Size 2 /Root 1 0 R /Encrypt << /Filter /Standard /V 2 >> /ID [<a><b>] >>"));
  writeWhole(in, pdf.bytes);
  MergeResult result = mergeTicket(in, out, ticket);
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.message.find("no Identity crypt filter"), std::string::npos);
  EXPECT_EQ(readWhole(out), "") << "the caller sends the input without a ticket";

  PdfBuilder aes;
  aes.addObject(1, "<< /Type /Catalog >>");
  aes.addObject(2, "<< /Filter /Standard /V 5 /R 6 >>");
  aes.finish(aes.classicSection("<< /Size 3 /Root 1 0 R /Encrypt 2 0 R /ID [<a><b>] >>"));
  std::string merged = merge(aes.bytes);
  EXPECT_NE(merged.find("/Filter [/Crypt] /DecodeParms [<< /Type /CryptFilterDecodeParms /Name /Identity >>]"),
            std::string::npos);
  EXPECT_NE(merged.find("trailer\n<< /Encrypt 2 0 R\n/ID [<a><b>]\n/Size 4\n"), std::string::npos);
  EXPECT_EQ(extractTicket(out, folder.path, result), kTicket);
}

TEST_F(MergeTest, FailureStatusesAndMessages) {
  writeWhole(in, catalogTwelve().bytes);
  std::string usage = insertQFJT(1, {"prog"}).message;
  EXPECT_EQ(usage, "\nUSAGE : prog <infile> <outfile> <insertfile>   -- combine infile and insertfile into outfile"
                   "\n        prog <infile> <outfile>                -- extract job ticket into outfile"
                   "\n        prog <infile>                          -- extract job ticket to stdout\n\n");
  EXPECT_EQ(insertQFJT(5, {"p", in, out, ticket, "x"}).status, 1);
  EXPECT_EQ(insertQFJT(4, {"p", in}).status, 1) << "fewer entries than the count";

  MergeResult r = mergeTicket(folder / "none.pdf", out, ticket);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.message, "\nERROR : Unable to open input file: " + folder / "none.pdf" + "\n");
  r = mergeTicket(in, folder / "no/such/dir.pdf", ticket);
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.message, "\nERROR : Unable to open output file: " + folder / "no/such/dir.pdf" + "\n");
  writeWhole(out, "old");
  r = mergeTicket(in, out, folder / "none.xml");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.message, "\nERROR : Unable to open QJTF file: " + folder / "none.xml" + "\n");
  EXPECT_EQ(readWhole(out), "") << "the output was created empty before the ticket was opened";

  std::string longName = folder / std::string(100, 'a');
  EXPECT_EQ(mergeTicket(longName, out, ticket).status, 2);
  EXPECT_EQ(mergeTicket(in, longName, ticket).status, 4);
  EXPECT_EQ(mergeTicket(in, out, longName).status, 3);
  EXPECT_NE(mergeTicket(longName, out, ticket).message.find(longName), std::string::npos) << "never cut short";

  std::string original = readWhole(in);
  r = mergeTicket(in, in, ticket);
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(readWhole(in), original) << "the input is not truncated";

  r = insertQFJT(3, {"p", in, out});
  EXPECT_EQ(r.status, 10);
  EXPECT_EQ(r.message, "\nError: Quorlan job ticket node not found in file " + in + ".\n");
}

TEST_F(MergeTest, CatalogFailuresKeepTheCopiedInput) {
  struct Case { std::string trailer, catalog; int status; std::string message; } cases[] = {
      {"<< /Size 2 >>", "<< >>", 6, "\nError: Root node not found in trailer.\n"},
      {"<< /Size 2 /Root 1 1 R >>", "<< >>", 7, "\nError: Root node not found in xref table.\n"},
      {"<< /Size 2 /Root 1 0 R >>", "[1 2]", 8, "\nError: Invalid Root dictionary.\n"},
      {"<< /Root 1 0 R >>", "<< >>", 9, "\nError: Malformed PDF: newest trailer without /Size at byte 83.\n"},
  };
  for (const Case& c : cases) {
    PdfBuilder pdf;
    pdf.addObject(1, c.catalog);
    pdf.finish(pdf.classicSection(c.trailer));
    writeWhole(in, pdf.bytes);
    MergeResult r = mergeTicket(in, out, ticket);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(readWhole(out), withEndOverwritten(pdf.bytes));
  }
}

TEST_F(MergeTest, ExtractNeedsAStreamKeywordAndItsEnd) {
  PdfBuilder pdf;
  pdf.addObject(1, "<< /Type /Catalog /QuorlanJobTicket 2 0 R >>");
  pdf.addObject(2, "<< /Length 3 >>");
  pdf.finish(pdf.classicSection("<< /Size 3 /Root 1 0 R >>"));
  writeWhole(in, pdf.bytes);
  MergeResult r = insertQFJT(3, {"p", in, out});
  EXPECT_EQ(r.status, 9);

  PdfBuilder open;
  open.addObject(1, "<< /Type /Catalog /QuorlanJobTicket 2 0 R >>");
  open.addObject(2, "<< /Length 3 >>\nstream\nabc");
  open.finish(open.classicSection("<< /Size 3 /Root 1 0 R >>"));
  writeWhole(in, open.bytes);
  r = insertQFJT(3, {"p", in, out});
  EXPECT_EQ(r.status, 9) << "a ticket without its end is never given back as a whole one";
  EXPECT_EQ(r.message, "\nError: Malformed PDF: ticket stream without \"endstream\" at byte " +
                           std::to_string(open.bytes.find("abc")) + ".\n");
  EXPECT_EQ(r.offset, open.bytes.find("abc"));
}

TEST_F(MergeTest, UpdateAloneGivesTheCombinedBytesWithoutWriting) {
  PdfBuilder stream("%PDF-1.5\n");
  stream.addObject(1, "<< /Type /Catalog >>");
  stream.finish(stream.streamSection(2, " /Root 1 0 R /ID [<01><02>]", 2));
  PdfBuilder rc4;
  rc4.addObject(1, "<< /Type /Catalog >>");
  rc4.finish(rc4.classicSection("<< /Size 2 /Root 1 0 R /Encrypt << /Filter /Standard /V 2 >> /ID [<a><b>] >>"));
  PdfBuilder aes;
  aes.addObject(1, "<< /Type /Catalog >>");
  aes.addObject(2, "<< /Filter /Standard /V 5 /R 6 >>");
  aes.finish(aes.classicSection("<< /Size 3 /Root 1 0 R /Encrypt 2 0 R /ID [<a><b>] >>"));
  PdfBuilder noRoot;
  noRoot.addObject(1, "<< >>");
  noRoot.finish(noRoot.classicSection("<< /Size 2 >>"));
  std::string second = merge(catalogTwelve().bytes);

  for (const std::string& input : {catalogTwelve().bytes, second, stream.bytes, rc4.bytes, aes.bytes,
                                   noRoot.bytes, std::string("%PDF-1.4\nno cross-reference\n")}) {
    writeWhole(in, input);
    MergeResult copied = mergeTicket(in, out, ticket);
    MergeResult alone = mergeTicket(MergeRequest::updateOnly(in, "").withTicketBytes(readWhole(ticket)));
    EXPECT_EQ(alone.status, copied.status);
    EXPECT_EQ(alone.message, copied.message);
    EXPECT_EQ(alone.ticketAdded, copied.ticketAdded);
    EXPECT_EQ(readWhole(in), input) << "the input is never written";
    if (copied.status == 0 && !readWhole(out).empty()) {
      EXPECT_TRUE(alone.ticketAdded);
      EXPECT_EQ(input.substr(0, alone.keptInputBytes) + alone.update, readWhole(out));
    } else {
      EXPECT_FALSE(alone.ticketAdded);
      EXPECT_EQ(alone.update, "");
    }
  }

  MergeResult missing = mergeTicket(MergeRequest::updateOnly(folder / "none.pdf", ticket));
  EXPECT_EQ(missing.status, 2);
  EXPECT_FALSE(missing.ticketAdded);
  writeWhole(in, catalogTwelve().bytes);
  EXPECT_EQ(mergeTicket(MergeRequest::updateOnly(in, folder / "none.xml")).status, 3);
  std::string longName = folder / std::string(300, 'a');
  EXPECT_EQ(mergeTicket(MergeRequest::updateOnly(longName, ticket)).message,
            "\nERROR : Unable to open input file: " + longName + "\n")
      << "no path limit in the library";
  EXPECT_EQ(mergeTicket(MergeRequest::updateOnly(folder.path, ticket)).status, 2) << "a folder is no input";
}
