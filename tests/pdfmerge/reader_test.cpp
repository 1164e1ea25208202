// The cross-reference reader: byte routines, classic chains, streams and
// hybrid files.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "catalog.h"
#include "encryption.h"
#include "pdf_builder.h"
#include "pdf_bytes.h"
#include "xref_reader.h"

using namespace std::string_literals;

namespace {

// Reads pdf's chain, expecting success.
XrefChain readChain(const std::string& pdf) {
  XrefChain chain;
  MergeResult fault;
  EXPECT_TRUE(readXrefChain(pdf, chain, fault)) << fault.message;
  return chain;
}

// A classic PDF with objects 1..count, catalog 1.
PdfBuilder simplePdf(int count, const std::string& trailerExtra = "") {
  PdfBuilder pdf;
  pdf.addObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  for (int n = 2; n <= count; ++n) pdf.addObject(n, "<< /N " + std::to_string(n) + " >>");
  int64_t xref = pdf.classicSection("<< /Size " + std::to_string(count + 1) + " /Root 1 0 R" +
                                    trailerExtra + " >>");
  pdf.finish(xref);
  return pdf;
}

// A hybrid section: catalog 1, pages 2, a classic table whose free entry 5
// is a placeholder, and the /XRefStm stream 6 that puts object 5 in object
// stream 4. Gives the section's offset.
int64_t hybridSection(PdfBuilder& pdf) {
  pdf.addObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.addObject(2, "<< /Type /Pages /Kids [] /Count 0 >>");
  std::string data = deflateBytes(std::string("\x02\x00\x00\x00\x04\x00\x00", 7));
  int64_t stmAt = static_cast<int64_t>(pdf.bytes.size());
  pdf.bytes += "6 0 obj\n<< /Type /XRef /Size 7 /Index [5 1] /W [1 4 2] /Filter /FlateDecode /Length " +
               std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream\nendobj\n";
  int64_t xref = pdf.classicSection("<< /Size 7 /Root 1 0 R /XRefStm " + std::to_string(stmAt) + " >>");
  pdf.bytes.insert(pdf.bytes.find("trailer"), "5 1\n0000000000 00000 f \n");
  return xref;
}

}  // namespace

TEST(ByteRoutines, FindstrSearchesPastNulAndStopsAtTheEnd) {
  std::string buf = "ab\0cd endobj xy"s;
  EXPECT_EQ(findstr(buf, 0, "cd"), 5u);
  EXPECT_EQ(findstr(buf, 0, "endobj"), 12u);
  EXPECT_EQ(findstr(buf, 0, "xyz"), kNotFound);
  EXPECT_EQ(findstr(buf, buf.size(), "x"), kNotFound);
  EXPECT_EQ(findstr(buf, buf.size() + 5, "x"), kNotFound);
  EXPECT_EQ(objectLength(buf, 3), 9u);
  EXPECT_EQ(objectLength(buf, 13), kNotFound);
  EXPECT_EQ(findText(buf, 0, "cd"), kNotFound) << "the text search ends at NUL";
}

TEST(ByteRoutines, GetStartXrefTakesTheLastKeyword) {
  EXPECT_EQ(GetStartXref("startxref\n1\nstartxref\r\n  42\n%%EOF"), 42);
  EXPECT_EQ(GetStartXref("xstartxref\n-7"), -7);
  EXPECT_EQ(GetStartXref("xstartxref\nabc"), 0);
  EXPECT_EQ(GetStartXref("startxref"), -1);
  EXPECT_EQ(GetStartXref("startxref 5"), -1) << "the first byte is never a candidate";
  EXPECT_EQ(GetStartXref(""), -1);
  EXPECT_EQ(GetStartXref("x startxre"), -1);
}

TEST(ByteRoutines, FindNextLineHandlesEveryLineEnd) {
  EXPECT_EQ(findNextLine("ab\ncd", 0), 3u);
  EXPECT_EQ(findNextLine("ab\rcd", 0), 3u);
  EXPECT_EQ(findNextLine("ab\r\ncd", 0), 4u);
  EXPECT_EQ(findNextLine("ab\r\ncd", 2), 4u);
  EXPECT_EQ(findNextLine("ab\0\ncd"s, 0), kNotFound);
  EXPECT_EQ(findNextLine("abc", 0), kNotFound);
  EXPECT_EQ(findNextLine("ab\r", 0), 3u);
}

TEST(ClassicChain, OneSectionGivesEveryEntryAndOneTrailer) {
  PdfBuilder pdf = simplePdf(5);
  XrefChain chain = readChain(pdf.bytes);
  EXPECT_EQ(chain.table.size(), 6u);
  EXPECT_EQ(chain.trailer.size(), 1u);
  EXPECT_EQ(chain.maxObjNum, 5);
  EXPECT_EQ(chain.firstXrefOffset, static_cast<int64_t>(pdf.bytes.find("xref\n")));
  EXPECT_EQ(chain.trailer[0].text, "trailer\n<< /Size 6 /Root 1 0 R >>\n");
  std::optional<xref_entry> head = chain.table.findNumber(0);
  ASSERT_TRUE(head);
  EXPECT_EQ(head->isFree, 1);
  EXPECT_EQ(head->genNum, 65535);
  EXPECT_EQ(head->objectP, -1);
  EXPECT_EQ(chain.table.findNumber(3)->objectP, pdf.offsets[3]);
}

TEST(ClassicChain, NewerSectionWinsAndMaxCountsBoth) {
  PdfBuilder pdf = simplePdf(3);
  int64_t first = GetStartXref(pdf.bytes);
  pdf.addObject(2, "<< /Changed true >>");
  pdf.addObject(9, "<< >>");
  int64_t second = pdf.classicSection("<< /Size 10 /Root 1 0 R /Prev " + std::to_string(first) + " >>");
  pdf.finish(second);
  XrefChain chain = readChain(pdf.bytes);
  ASSERT_EQ(chain.trailer.size(), 2u);
  EXPECT_NE(chain.trailer[0].text.find("/Prev"), std::string::npos) << "newest copy first";
  EXPECT_EQ(chain.table.findNumber(2)->offset, pdf.offsets[2]);
  EXPECT_EQ(chain.maxObjNum, 9);
  EXPECT_EQ(chain.table.size(), 5u);
}

TEST(ClassicChain, SubsectionsLineEndsAndOddEntries) {
  std::string body = "%PDF-1.4\n7 0 obj\n<< /Type /Catalog >>\nendobj\n";
  std::string xref = "xref\r\n0 1\r\n0000000000 65535 f\r\n7 2\r\n0000000009 00000 n \r"
                     "0000000000 00000 n \n";
  std::string trailer = "trailer\r\n<< /Size 9 /Root 7 0 R /Info << /A << /B 1 >> >> >>\r\nstartxref\r\n";
  std::string pdf = body + xref + trailer + std::to_string(body.size()) + "\r\n%%EOF\r\n";
  XrefChain chain = readChain(pdf);
  EXPECT_EQ(chain.table.size(), 3u);
  EXPECT_EQ(chain.maxObjNum, 8);
  EXPECT_EQ(chain.table.findNumber(7)->objectP, 9);
  EXPECT_EQ(chain.table.findNumber(8)->objectP, -1) << "offset 0 has no position";
  EXPECT_EQ(chain.table.findNumber(8)->isFree, 0);
  EXPECT_EQ(chain.trailer[0].text, "trailer\r\n<< /Size 9 /Root 7 0 R /Info << /A << /B 1 >> >> >>\r");
}

TEST(ClassicChain, TrailerOnTheKeywordsLine) {
  PdfBuilder pdf;
  pdf.addObject(1, "<< /Type /Catalog >>");
  int64_t xref = pdf.classicSection("<< /Size 2 /Root 1 0 R >>");
  pdf.finish(xref);
  size_t keyword = pdf.bytes.find("trailer\n");
  pdf.bytes[keyword + 7] = ' ';
  XrefChain chain = readChain(pdf.bytes);
  EXPECT_EQ(chain.trailer[0].text, "trailer << /Size 2 /Root 1 0 R >>\n");
}

TEST(ClassicChain, NineteenSectionsAreReadTheTwentiethFails) {
  for (int sections : {19, 20}) {
    PdfBuilder pdf;
    pdf.addObject(1, "<< /Type /Catalog >>");
    int64_t prev = pdf.classicSection("<< /Size 2 /Root 1 0 R >>");
    for (int s = 1; s < sections; ++s) {
      pdf.addObject(1, "<< /Type /Catalog /Rev " + std::to_string(s) + " >>");
      prev = pdf.classicSection("<< /Size 2 /Root 1 0 R /Prev " + std::to_string(prev) + " >>");
    }
    pdf.finish(prev);
    XrefChain chain;
    MergeResult fault;
    bool ok = readXrefChain(pdf.bytes, chain, fault);
    if (sections == 19) {
      EXPECT_TRUE(ok);
      EXPECT_EQ(chain.trailer.size(), 19u);
    } else {
      EXPECT_FALSE(ok);
      EXPECT_EQ(fault.status, 9);
      EXPECT_EQ(fault.message, "\nToo many trailers: 20\n");
    }
  }
}

TEST(ClassicChain, BlankLineBeforeTrailerIsAccepted) {
  PdfBuilder pdf = simplePdf(2);
  size_t keyword = pdf.bytes.find("trailer");
  pdf.bytes.insert(keyword, "\n");
  size_t start = pdf.bytes.rfind("startxref\n");
  XrefChain chain = readChain(pdf.bytes.substr(0, start) + "startxref\n" +
                              std::to_string(pdf.bytes.find("xref\n")) + "\n%%EOF\n");
  EXPECT_EQ(chain.table.size(), 3u);
}

TEST(StreamChain, EveryPngRowTypeAndPlainData) {
  for (int rowType : {-1, 0, 1, 2, 3, 4}) {
    for (bool compress : {true, false}) {
      if (rowType >= 0 && !compress) continue;
      PdfBuilder pdf("%PDF-1.5\n");
      pdf.addObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
      pdf.addObject(2, "<< /Type /Pages /Kids [] /Count 0 >>");
      int64_t xref = pdf.streamSection(3, " /Root 1 0 R /ID [<01><02>]", rowType, compress);
      pdf.finish(xref);
      XrefChain chain = readChain(pdf.bytes);
      SCOPED_TRACE(rowType);
      ASSERT_EQ(chain.table.size(), 4u);
      EXPECT_EQ(chain.table.findNumber(2)->objectP, pdf.offsets[2]);
      EXPECT_EQ(chain.table.findNumber(3)->objectP, xref);
      EXPECT_TRUE(chain.trailer[0].isStream);
      EXPECT_EQ(chain.maxObjNum, 3);
    }
  }
}

TEST(StreamChain, HybridSectionTakesCompressedEntriesOverFreePlaceholders) {
  PdfBuilder pdf;
  pdf.finish(hybridSection(pdf));
  XrefChain chain = readChain(pdf.bytes);
  std::optional<xref_entry> hidden = chain.table.findNumber(5);
  ASSERT_TRUE(hidden);
  EXPECT_EQ(hidden->type, EntryType::Compressed);
  EXPECT_EQ(hidden->streamObjNum, 4);
  EXPECT_EQ(chain.trailer.size(), 1u) << "the /XRefStm belongs to the same section";
  EXPECT_FALSE(chain.trailer[0].isStream);
}

TEST(ReaderFaults, BadInputStopsWithTheMalformedStatus) {
  PdfBuilder good = simplePdf(2);
  std::vector<std::string> inputs = {
      "",
      "%PDF-1.4\nstartxref\n9\n",
      good.bytes.substr(0, good.bytes.size() - 20),
      good.bytes.substr(0, good.bytes.find("trailer")) + "startxref\n" +
          std::to_string(good.bytes.find("xref\n")) + "\n",
  };
  std::string misplaced = good.bytes;
  misplaced.replace(misplaced.find("0000000009 00000 n"), 10, "0000000010");
  inputs.push_back(misplaced);
  for (const std::string& input : inputs) {
    XrefChain chain;
    MergeResult fault;
    EXPECT_FALSE(readXrefChain(input, chain, fault)) << input;
    EXPECT_EQ(fault.status, 9);
    EXPECT_EQ(fault.message.rfind("\nError: Malformed PDF: ", 0), 0u) << fault.message;
  }
}

namespace {

// Runs every reading step on a heap copy of exactly bytes' size, so that an
// address sanitizer sees any read past the end (a file mapping would hide
// reads within its last page).
void readOnHeap(const std::string& bytes) {
  std::unique_ptr<char[]> copy(new char[bytes.size()]);
  std::memcpy(copy.get(), bytes.data(), bytes.size());
  std::string_view pdf(copy.get(), bytes.size());
  XrefChain chain;
  MergeResult fault;
  if (!readXrefChain(pdf, chain, fault)) {
    EXPECT_NE(fault.status, 0);
    EXPECT_FALSE(fault.message.empty());
    return;
  }
  TicketCrypt crypt;
  CatalogInfo catalog;
  if (ticketCryptFor(pdf, chain, crypt, fault) && findCatalog(pdf, chain, true, catalog, fault))
    findTicketKey(chain, catalog);
}

// Classic, stream and object-stream files to damage.
std::vector<std::string> goodFiles() {
  std::vector<std::string> files;
  files.push_back(simplePdf(3, " /Info 2 0 R /ID [<01><02>]").bytes);
  PdfBuilder stream("%PDF-1.5\n");
  stream.addObject(1, "<< /Type /Catalog /QuorlanJobTicket 2 0 R >>");
  stream.addObject(2, "<< /Length 3 >>\nstream\nabc\nendstream");
  stream.finish(stream.streamSection(3, " /Root 1 0 R", 4));
  files.push_back(stream.bytes);
  return files;
}

}  // namespace

TEST(ReaderBounds, EveryPrefixAndEveryDamagedByteIsReadSafely) {
  for (const std::string& good : goodFiles()) {
    for (size_t n = 0; n <= good.size(); ++n) readOnHeap(good.substr(0, n));
    for (size_t at = 0; at < good.size(); ++at) {
      for (char c : {'\0', '9', ' ', '<', '>', '(', '[', '/', '\n'}) {
        std::string damaged = good;
        damaged[at] = c;
        readOnHeap(damaged);
      }
    }
  }
}

TEST(ReaderBounds, MalformedFilesAreReadSafely) {
  DIR* dir = opendir(MALFORMED_DIR);
  ASSERT_NE(dir, nullptr);
  int count = 0;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (!name.ends_with(".pdf")) continue;
    readOnHeap(readWhole(std::string(MALFORMED_DIR) + "/" + name));
    ++count;
  }
  closedir(dir);
  EXPECT_GE(count, 40);
}

namespace {

// bytes with the first copy of from replaced by to.
std::string replaced(std::string bytes, const std::string& from, const std::string& to) {
  size_t at = bytes.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) bytes.replace(at, from.size(), to);
  return bytes;
}

// True when pdf's chain can be read.
bool readable(const std::string& pdf) {
  XrefChain chain;
  MergeResult fault;
  return readXrefChain(pdf, chain, fault);
}

}  // namespace

TEST(XrefTable, ExtremeEntriesComeBackWhole) {
  XrefTable table;
  xref_entry last;
  last.objNum = kMaxObjectNumber;
  last.offset = kMaxEntryOffset;
  last.genNum = kMaxGeneration;
  table.add(last, 18);
  xref_entry head;
  head.genNum = 65535;
  head.isFree = 1;
  head.type = EntryType::Free;
  table.add(head, 0);
  xref_entry packed;
  packed.objNum = 5;
  packed.type = EntryType::Compressed;
  packed.streamObjNum = kMaxObjectNumber;
  packed.streamIndex = kMaxStreamIndex;
  table.add(packed, 3);
  xref_entry negative;
  negative.objNum = 6;
  negative.offset = -9;
  table.add(negative, 3);
  table.add(negative, 4);
  EXPECT_EQ(table.size(), 4u) << "a number stored again is still one entry";

  std::optional<xref_entry> got = table.findNumber(kMaxObjectNumber);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->offset, kMaxEntryOffset);
  EXPECT_EQ(got->objectP, kMaxEntryOffset);
  EXPECT_EQ(got->genNum, kMaxGeneration);
  EXPECT_EQ(got->type, EntryType::InUse);
  got = table.find(0, 65535);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->isFree, 1);
  EXPECT_EQ(got->objectP, -1);
  got = table.find(5, 0);
  ASSERT_TRUE(got) << "an object in a stream has generation 0";
  EXPECT_EQ(got->streamObjNum, kMaxObjectNumber);
  EXPECT_EQ(got->streamIndex, kMaxStreamIndex);
  EXPECT_EQ(table.findNumber(6)->objectP, -1) << "a negative offset names no position";
  EXPECT_TRUE(table.isFreeFromSection(0, 0));
  EXPECT_FALSE(table.isFreeFromSection(0, 1));
  EXPECT_FALSE(table.isFreeFromSection(5, 3)) << "only free entries are placeholders";
  EXPECT_FALSE(table.findNumber(-1));
  EXPECT_FALSE(table.findNumber(kMaxObjectNumber + 1));
  EXPECT_FALSE(table.findNumber(7));

  XrefTable moved = std::move(table);
  EXPECT_EQ(moved.size(), 4u);
  EXPECT_EQ(table.size(), 0u);
  EXPECT_FALSE(table.findNumber(0));
  EXPECT_TRUE(moved.findNumber(0));
}

TEST(ClassicChain, ObjectHeadersMustNameTheWholeNumberAndGeneration) {
  PdfBuilder pdf;
  pdf.addObject(1, "<< /Type /Catalog >>");
  for (int n : {9, 10, 11, 99, 100, 101, 999999, 1000000})
    pdf.addObject(n, "<< /N " + std::to_string(n) + " >>");
  pdf.finish(pdf.classicSection("<< /Size 1000001 /Root 1 0 R >>"));
  EXPECT_TRUE(readable(pdf.bytes)) << "numbers across every carry";

  auto entryOf = [&](int n) { return tenDigits(pdf.offsets[n]) + " 00000 n"; };
  auto pointedAt = [&](int n, int target) {
    return replaced(pdf.bytes, entryOf(n), tenDigits(pdf.offsets[target]) + " 00000 n");
  };
  EXPECT_FALSE(readable(pointedAt(1, 10))) << "1 is only the start of 10";
  EXPECT_FALSE(readable(pointedAt(10, 1)));
  EXPECT_FALSE(readable(pointedAt(100, 101)));
  EXPECT_FALSE(readable(pointedAt(1000000, 999999)));

  EXPECT_TRUE(readable(replaced(pdf.bytes, "9 0 obj\n", "09 0 obj"))) << "a leading zero";
  std::string third = replaced(pdf.bytes, "11 0 obj", "11 3 obj");
  EXPECT_FALSE(readable(third)) << "the entry says generation 0";
  EXPECT_TRUE(readable(replaced(third, entryOf(11), tenDigits(pdf.offsets[11]) + " 00003 n")));
  EXPECT_FALSE(readable(replaced(third, entryOf(11), tenDigits(pdf.offsets[11]) + " 00004 n")));
}

TEST(ClassicChain, EntryDigitsAreReadAsTheCLibraryReadsThem) {
  PdfBuilder pdf = simplePdf(2);
  std::string entry = tenDigits(pdf.offsets[2]) + " 00000 n";
  std::string digits = std::to_string(pdf.offsets[2]);
  std::string spaced = std::string(10 - digits.size(), ' ') + digits;
  EXPECT_TRUE(readable(replaced(pdf.bytes, entry, spaced + " 00000 n")));
  EXPECT_TRUE(readable(replaced(pdf.bytes, entry, spaced + "     0 n")));
  XrefChain chain = readChain(replaced(pdf.bytes, entry, "-000000009 00000 n"));
  EXPECT_EQ(chain.table.findNumber(2)->objectP, -1) << "a negative offset names no object";
  for (char bad : {':', '/', 'a', '\0', '\xb0'}) {
    for (size_t at : {0u, 3u, 7u, 8u, 9u, 12u}) {
      std::string damaged = entry;
      damaged[at] = bad;
      std::string bytes = replaced(pdf.bytes, entry, damaged);
      XrefChain damagedChain;
      MergeResult fault;
      if (readXrefChain(bytes, damagedChain, fault)) {
        // Only a cut-short number that still names the object passes.
        EXPECT_EQ(damagedChain.table.findNumber(2)->objectP, pdf.offsets[2]) << at << bad;
      } else {
        EXPECT_EQ(fault.status, 9) << at << bad;
      }
    }
  }
}

TEST(StreamChain, AnOlderHybridStreamDoesNotReplaceANewerFreeEntry) {
  PdfBuilder pdf;
  int64_t older = hybridSection(pdf);
  pdf.finish(older);
  int64_t newer = static_cast<int64_t>(pdf.bytes.size());
  pdf.bytes += "xref\n5 1\n0000000000 00001 f \ntrailer\n<< /Size 7 /Root 1 0 R /Prev " +
               std::to_string(older) + " >>\n";
  pdf.finish(newer);
  XrefChain chain = readChain(pdf.bytes);
  std::optional<xref_entry> deleted = chain.table.findNumber(5);
  ASSERT_TRUE(deleted);
  EXPECT_EQ(deleted->type, EntryType::Free) << "the newer section deleted object 5";
  EXPECT_EQ(deleted->genNum, 1);
}

TEST(StreamChain, EntriesBeyondWhatTheTableHoldsAreRefused) {
  // An offset of 2^40, then a generation of 2^17.
  for (const std::string& row : {std::string("\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00", 10),
                                 std::string("\x01\x00\x00\x00\x00\x00\x09\x02\x00\x00", 10)}) {
    PdfBuilder pdf("%PDF-1.5\n");
    pdf.addObject(1, "<< /Type /Catalog >>");
    std::string data = deflateBytes(row);
    int64_t at = static_cast<int64_t>(pdf.bytes.size());
    pdf.bytes += "2 0 obj\n<< /Type /XRef /Size 3 /Index [1 1] /W [1 6 3] /Root 1 0 R /Filter /FlateDecode /Length " +
                 std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream\nendobj\n";
    pdf.finish(at);
    XrefChain chain;
    MergeResult fault;
    EXPECT_FALSE(readXrefChain(pdf.bytes, chain, fault));
    EXPECT_NE(fault.message.find("out of range"), std::string::npos) << fault.message;
  }
}
