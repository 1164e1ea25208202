// Files from real producers (qpdf in its modes, cups-filters' pdftopdf,
// Ghostscript, poppler, MuPDF) and the hand-made malformed files. Producers
// that are not installed are skipped.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "encryption.h"
#include "pdf_builder.h"
#include "xref_reader.h"

namespace {

const std::string kTicket = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FormJobTicket>\n</FormJobTicket>\n";

// True when program is on the PATH or an absolute path that runs.
bool have(const std::string& program) {
  return shell("command -v " + program + " >/dev/null") == 0;
}

// qpdf --check passes without a warning.
void expectQpdfClean(const std::string& path) {
  std::string text;
  EXPECT_EQ(shell("qpdf --check " + path, &text), 0) << path << "\n" << text;
  EXPECT_EQ(text.find("WARNING"), std::string::npos) << path << "\n" << text;
}

// The trailer as qpdf shows it, without the keys the update changes.
std::string stableTrailerKeys(const std::string& path) {
  std::string text;
  shell("qpdf --show-object=trailer " + path, &text);
  std::string kept;
  for (const char* key : {"/Info", "/ID", "/Encrypt"}) {
    size_t at = text.find(key);
    if (at == std::string::npos) continue;
    size_t end = text.find(key == std::string("/ID") ? "]" : "R", at);
    kept += text.substr(at, end - at + 1) + ";";
  }
  return kept;
}

// A hybrid file: a classic table whose trailer's /XRefStm holds the page,
// stored in an object stream and free in the table.
std::string hybridPdf() {
  std::string page = "3 0 << /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>";
  PdfBuilder pdf("%PDF-1.5\n");
  pdf.addObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.addObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  pdf.addObject(4, "<< /Type /ObjStm /N 1 /First 4 /Length " + std::to_string(page.size()) +
                       " >>\nstream\n" + page + "\nendstream");
  std::string row("\x02\x00\x00\x00\x04\x00\x00", 7);
  pdf.addObject(5, "<< /Type /XRef /Size 6 /Index [3 1] /W [1 4 2] /Length 7 >>\nstream\n" + row +
                       "\nendstream");
  int64_t xref = pdf.bytes.size();
  pdf.bytes += "xref\n0 6\n0000000000 65535 f \n";
  for (int n = 1; n <= 5; ++n) {
    char entry[24];
    snprintf(entry, sizeof entry, n == 3 ? "0000000000 00001 f \n" : "%010lld 00000 n \n",
             static_cast<long long>(pdf.offsets[n]));
    pdf.bytes += entry;
  }
  pdf.bytes += "trailer\n<< /Size 6 /Root 1 0 R /XRefStm " + std::to_string(pdf.offsets[5]) +
               " /ID [<aa><bb>] >>\n";
  pdf.finish(xref);
  return pdf.bytes;
}

class ProducerCorpus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!have("qpdf") || !have("mutool")) GTEST_SKIP() << "qpdf and mutool are needed";
    writeWhole(folder / "ticket.xml", kTicket);
    sample = std::string(SAMPLE_DATA_DIR) + "/a4-3pages.pdf";
  }
  // Makes name with command (%in and %out replaced) when program exists.
  void make(const std::string& program, const std::string& name, std::string command) {
    if (!have(program)) return;
    for (auto [mark, value] : {std::pair<std::string, std::string>{"%in", sample}, {"%out", folder / name}}) {
      for (size_t at; (at = command.find(mark)) != std::string::npos;) command.replace(at, mark.size(), value);
    }
    if (shell(command) == 0) inputs.push_back(name);
  }
  // Merges every input twice and checks each result.
  void mergeAll() {
    for (const std::string& name : inputs) {
      SCOPED_TRACE(name);
      std::string text;
      if (shell("qpdf --check " + folder / name, &text) != 0 || text.find("WARNING") != std::string::npos)
        continue;
      std::string previous = folder / name;
      for (int round = 1; round <= 2; ++round) {
        std::string merged = folder / name + "." + std::to_string(round) + ".pdf";
        MergeResult result = mergeTicket(previous, merged, folder / "ticket.xml");
        ASSERT_EQ(result.status, 0) << result.message;
        ASSERT_TRUE(result.message.empty()) << result.message;
        expectQpdfClean(merged);
        EXPECT_EQ(shell("mutool info " + merged + " >/dev/null"), 0);
        EXPECT_EQ(stableTrailerKeys(merged), stableTrailerKeys(folder / name));
        EXPECT_EQ(extractTicket(merged, folder.path, result), kTicket);
        previous = merged;
      }
      ++merged;
    }
  }
  TempFolder folder;
  std::string sample;
  std::vector<std::string> inputs;
  int merged = 0;
};

}  // namespace

TEST_F(ProducerCorpus, QpdfModes) {
  make("qpdf", "plain.pdf", "cp %in %out");
  make("qpdf", "objstm.pdf", "qpdf --object-streams=generate %in %out");
  make("qpdf", "linear.pdf", "qpdf --linearize %in %out");
  make("qpdf", "linear-objstm.pdf", "qpdf --linearize --object-streams=generate %in %out");
  make("qpdf", "qdf.pdf", "qpdf --qdf %in %out");
  make("qpdf", "aes256.pdf", "qpdf --encrypt '' owner 256 -- %in %out");
  make("qpdf", "aes128.pdf", "qpdf --encrypt '' owner 128 --use-aes=y -- %in %out");
  make("qpdf", "aes256-objstm.pdf", "qpdf --object-streams=generate --encrypt '' owner 256 -- %in %out");
  make("qpdf", "info.pdf", "qpdf --object-streams=disable %in --pages %in 1 -- %out");
  mergeAll();
  EXPECT_GE(merged, 8);
}

TEST_F(ProducerCorpus, OtherProducers) {
  make("/usr/lib/cups/filter/pdftopdf", "pdftopdf.pdf", "/usr/lib/cups/filter/pdftopdf 1 user title 1 '' %in > %out");
  make("/usr/lib/cups/filter/pdftopdf", "pdftopdf-objstm.pdf",
       "qpdf --object-streams=generate %in %out.in && /usr/lib/cups/filter/pdftopdf 1 user title 1 '' %out.in > %out");
  make("ps2pdf", "ghostscript.pdf", "ps2pdf %in %out");
  make("pdftocairo", "cairo.pdf", "pdftocairo -pdf %in %out");
  make("mutool", "mupdf.pdf", "mutool clean -gg %in %out");
  make("mutool", "mupdf-compressed.pdf", "mutool clean -z -a %in %out");
  make("mutool", "mupdf-lin.pdf", "mutool clean -l %in %out");
  mergeAll();
  EXPECT_GE(merged, 5);
}

TEST_F(ProducerCorpus, MultiRevisionCrLfAndPrevBeforeSize) {
  std::string base = readWhole(sample);
  std::string crlf;
  for (char c : base) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  // CR LF everywhere changes every offset: let qpdf rebuild them, keeping CR LF in the table.
  writeWhole(folder / "crlf-raw.pdf", crlf);
  make("qpdf", "crlf.pdf", "qpdf " + folder / "crlf-raw.pdf" + " %out && sed -i 's/ n $/ n\\r/;s/ f $/ f\\r/' %out");
  PdfBuilder revised;
  revised.addObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  revised.addObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  revised.addObject(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>");
  revised.addObject(4, "<< /Producer (test) >>");
  int64_t first = revised.classicSection("<< /Size 5 /Root 1 0 R /Info 4 0 R /ID [<0102><0304>] >>");
  revised.finish(first);
  revised.addObject(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 300] >>");
  int64_t second = revised.classicSection("<<\n/Prev " + std::to_string(first) +
                                          "\n/Info 4 0 R\n/Size 5\n/Root 1 0 R /ID [<0102><0304>]\n>>");
  revised.finish(second);
  writeWhole(folder / "revised.pdf", revised.bytes);
  inputs.push_back("revised.pdf");
  writeWhole(folder / "hybrid.pdf", hybridPdf());
  inputs.push_back("hybrid.pdf");
  mergeAll();
  EXPECT_EQ(merged, static_cast<int>(inputs.size()));
}

namespace {

// The PDF files of a corpus folder, sorted.
std::vector<std::string> pdfFilesIn(const char* folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder)) {
    while (dirent* entry = readdir(dir))
      if (std::string(entry->d_name).ends_with(".pdf")) names.push_back(entry->d_name);
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(MalformedCorpus, EveryFileStopsWithAMessageAndAStatus) {
  TempFolder folder;
  writeWhole(folder / "ticket.xml", kTicket);
  const std::vector<std::string> names = pdfFilesIn(MALFORMED_DIR);
  EXPECT_GE(names.size(), 100u);
  for (const std::string& name : names) {
    std::string path = std::string(MALFORMED_DIR) + "/" + name;
    MergeResult combined = mergeTicket(path, folder / "out.pdf", folder / "ticket.xml");
    EXPECT_NE(combined.status, 0) << name;
    EXPECT_FALSE(combined.message.empty()) << name;
    MergeResult extracted;
    extractTicket(path, folder.path, extracted);
    EXPECT_NE(extracted.status, 0) << name;
    EXPECT_FALSE(extracted.message.empty()) << name;
  }
}

// The input is copied into the output while its cross-reference data is
// read: a file whose chain the reader rejects must leave the output empty,
// one that fails later (at the catalog) keeps the copy.
TEST(MalformedCorpus, AnUnreadableChainLeavesTheOutputEmpty) {
  TempFolder folder;
  writeWhole(folder / "ticket.xml", kTicket);
  int unreadable = 0;
  for (const std::string& name : pdfFilesIn(MALFORMED_DIR)) {
    std::string path = std::string(MALFORMED_DIR) + "/" + name;
    std::string input = readWhole(path);
    XrefChain chain;
    MergeResult fault;
    TicketCrypt crypt = TicketCrypt::None;
    bool readable = readXrefChain(input, chain, fault) && ticketCryptFor(input, chain, crypt, fault);
    MergeResult combined = mergeTicket(path, folder / "out.pdf", folder / "ticket.xml");
    if (readable) {
      EXPECT_EQ(readWhole(folder / "out.pdf"), input.substr(0, input.size() - 5) + "%%%%\n") << name;
      continue;
    }
    ++unreadable;
    EXPECT_EQ(combined.status, fault.status) << name;
    EXPECT_EQ(readWhole(folder / "out.pdf"), "") << name;
  }
  EXPECT_GE(unreadable, 50);
}

TEST(MalformedCorpus, ForgivableFilesMergeIntoValidPdfs) {
  TempFolder folder;
  writeWhole(folder / "ticket.xml", kTicket);
  const std::vector<std::string> names = pdfFilesIn(TOLERATED_DIR);
  EXPECT_FALSE(names.empty());
  for (const std::string& name : names) {
    MergeResult merged = mergeTicket(std::string(TOLERATED_DIR) + "/" + name, folder / "out.pdf",
                                     folder / "ticket.xml");
    EXPECT_EQ(merged.status, kMergeOk) << name << merged.message;
    EXPECT_EQ(shell("qpdf --check " + (folder / "out.pdf") + " > /dev/null"), 0) << name;
  }
}
