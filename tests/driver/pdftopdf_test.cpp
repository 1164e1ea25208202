// The filter with the real cups-filters pdftopdf as its child.
#include <gtest/gtest.h>

#include "filter_harness.h"

namespace {

class RealPdfToPdf : public ::testing::Test {
 protected:
  FilterHarness filter;

  ProgramSpec realChild(ProgramSpec command) {
    command.env["TICKETPRESS_PDFTOPDF"] = std::nullopt;
    return command;
  }

  // Cuts the PDF out of a printer stream and has qpdf check it.
  std::string pdfOf(const std::string& stream) {
    size_t start = stream.find("%PDF-");
    size_t end = stream.rfind("@PJL EOJ\n" + kUelBytes + kUelBytes);
    if (start == std::string::npos || end == std::string::npos || end < start) return "";
    return stream.substr(start, end - start);
  }

  void expectValidPdf(const std::string& pdf, int pages) {
    const std::string path = filter.folder() / "sent.pdf";
    writeFile(path, pdf);
    ProgramSpec check;
    check.argv = {"/usr/bin/qpdf", "--check", path};
    ProgramRun qpdf = runProgram(check, filter.folder().path());
    EXPECT_EQ(qpdf.exitStatus, 0) << qpdf.out << qpdf.err;
    check.argv = {"/usr/bin/qpdf", "--show-npages", path};
    EXPECT_EQ(runProgram(check, filter.folder().path()).out, std::to_string(pages) + "\n");
  }
};

}  // namespace

TEST_F(RealPdfToPdf, JobFromAFileComesOutAsAValidPdf) {
  ProgramRun run = filter.run(realChild(filter.jobSpec(
      "com.apple.print.JobInfo.PMJobName=Three<20>pages", sampleFile("a4-3pages.pdf"), "2")));
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::string header = kUelBytes + "@PJL COMMENT Quorlan PDF PrintPath Filter\n";
  for (const std::string& line : plainJobBlock("alice", "Three pages", "2")) header += line;
  header += "%PDF-";
  EXPECT_EQ(run.out.substr(0, header.size()), header);
  expectValidPdf(pdfOf(run.out), 3);
  EXPECT_EQ(filter.folder().list("tmp"), std::vector<std::string>{});
}

TEST_F(RealPdfToPdf, JobOnStandardInputWithAPageRange) {
  ProgramSpec command = realChild(filter.command({"43", "bob", "stdin job", "1", "page-ranges=2-3"}));
  command.stdinPath = sampleFile("a4-3pages.pdf");
  ProgramRun run = filter.run(command);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  expectValidPdf(pdfOf(run.out), 2);
}
