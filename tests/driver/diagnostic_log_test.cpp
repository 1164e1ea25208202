// The diagnostic log end to end: the switch, the job dump, the argument and
// option dump, and that the printer stream never changes with it.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "filter_harness.h"

namespace {

const std::string kRule = "==========================================================\n";

class DiagnosticLogRun : public ::testing::Test {
 protected:
  FilterHarness filter;
  std::string letter = sampleFile("letter-1page.pdf");
  std::string letterBytes = readFile(letter);

  std::string fixed(const std::string& name) { return filter.fixedFolder() + "/" + name; }
  void switchOn() { writeFile(fixed("qrl_log"), ""); }

  // Runs the command without and then with the log; the printer stream must match.
  ProgramRun runLoggedAndCompare(const ProgramSpec& command) {
    ProgramRun plain = filter.run(command);
    switchOn();
    ProgramRun logged = filter.run(command);
    EXPECT_EQ(logged.out, plain.out);
    EXPECT_EQ(logged.exitStatus, plain.exitStatus);
    EXPECT_EQ(logged.err, "INFO: Logging enabled by " + fixed("qrl_log") + " file.\n" + plain.err);
    return logged;
  }

  // The job dump of a stream: the stream with the two comment lines
  // inserted, and the USB line when the closing PJL job was left out.
  std::string jobDumpOf(const std::vector<std::string>& lines, const std::string& pdf,
                        bool withTrailer) {
    std::string dump = kUelBytes + "@PJL COMMENT Quorlan PDF PrintPath Filter\n" +
                       "@PJL COMMENT: Print job starts here\n";
    for (const std::string& line : lines) dump += line;
    dump += pdf + "@PJL EOJ\n@PJL COMMENT : PDF data has been transferred to stdout.\n";
    dump += withTrailer ? kUelBytes + kUelBytes + "@PJL JOB\n@PJL QPORTROTATE\n@PJL EOJ\n" + kUelBytes
                        : "@PJL COMMENT : USB ERROR\n";
    return dump;
  }

  std::string argumentLines(const ProgramSpec& command) {
    std::string lines;
    for (size_t i = 0; i < command.argv.size(); ++i)
      lines += "ARGV[" + std::to_string(i) + "] = " + command.argv[i] + "\n\n";
    return lines;
  }

  std::string optionDump(const std::vector<std::pair<std::string, std::string>>& options,
                         const std::string& uri) {
    std::string dump = kRule + "$Revision: 1.16 $\n" + kRule;
    for (const auto& [name, value] : options) dump += name + "\n\t" + value + "\n\n";
    return dump + kRule + "    URI for printer = " + uri + "\n" + kRule;
  }
};

}  // namespace

TEST_F(DiagnosticLogRun, HeldJobDumpsTheStreamArgumentsAndOptions) {
  const std::string options =
      "PrintTo=JRPrinter com.apple.print.JobInfo.PMJobName=Held<20>job "
      "com.apple.print.PrintSettings.PMCopies..n.=2 PrintTo=JRPrinter";
  ProgramSpec command = filter.jobSpec(options, letter, "2", "bob");
  command.env["DEVICE_URI"] = "socket://printer.example:9100";
  ProgramRun run = runLoggedAndCompare(command);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(readFile(fixed("qrl_pdf2")),
            jobDumpOf(plainJobBlock("bob", "Held job", std::nullopt),
                      mergedPdfFor(letter, options, 0), true));
  EXPECT_EQ(readFile(fixed("qrl_args")),
            argumentLines(command) + optionDump({{"PrintTo", "JRPrinter"},
                                              {"com.apple.print.JobInfo.PMJobName", "Held job"},
                                              {"com.apple.print.PrintSettings.PMCopies..n.", "2"}},
                                             "socket://printer.example:9100"));
  // The work files stay for the administrator.
  EXPECT_EQ(readFile(fixed("qrl_pdf")), letterBytes);
  EXPECT_NE(readFile(fixed("qrl_qfjt")).find("Copies=\"2\">"), std::string::npos);
}

TEST_F(DiagnosticLogRun, UsbDeviceWithAndWithoutTheClosingJob) {
  for (const char* version : {"0x1030", "0x102F"}) {
    ProgramSpec command = filter.jobSpec("", letter);
    command.env["DEVICE_URI"] = "usb://Quorlan/Laser";
    command.env["TICKETPRESS_SYSTEM_VERSION"] = version;
    unlink(fixed("qrl_log").c_str());
    runLoggedAndCompare(command);
    const bool trailer = std::string(version) == "0x1030";
    EXPECT_EQ(readFile(fixed("qrl_pdf2")),
              jobDumpOf(plainJobBlock("alice", "", "1"), mergedPdfFor(letter, ""), trailer))
        << version;
    // An empty option string: the two rule lines around it meet.
    EXPECT_EQ(readFile(fixed("qrl_args")),
              argumentLines(command) + kRule + "$Revision: 1.16 $\n" + kRule + kRule +
                  "    URI for printer = usb://Quorlan/Laser\n" + kRule);
  }
}

TEST_F(DiagnosticLogRun, FiveArgumentsAndNoDeviceUri) {
  ProgramSpec command = filter.command({"7", "carol", "stdin job", "1", "b=2 a=1"});
  command.stdinPath = letter;
  runLoggedAndCompare(command);
  const std::string args = readFile(fixed("qrl_args"));
  EXPECT_EQ(args, argumentLines(command) + optionDump({{"b", "2"}, {"a", "1"}}, ""));
  EXPECT_EQ(args.find("ARGV[6]"), std::string::npos);
}

TEST_F(DiagnosticLogRun, WithoutTheSwitchNoDumpIsCreatedOrChanged) {
  ProgramRun run = filter.run(filter.jobSpec("", letter));
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(filter.folder().list("fixed"), std::vector<std::string>{});

  writeFile(fixed("qrl_pdf2"), "old job dump");
  writeFile(fixed("qrl_args"), "old argument dump");
  filter.run(filter.jobSpec("", letter));
  EXPECT_EQ(readFile(fixed("qrl_pdf2")), "old job dump");
  EXPECT_EQ(readFile(fixed("qrl_args")), "old argument dump");
  EXPECT_EQ(filter.folder().list("fixed"), (std::vector<std::string>{"qrl_args", "qrl_pdf2"}));
}

TEST_F(DiagnosticLogRun, DumpThatCannotBeCreatedIsReportedOnce) {
  mkdir(fixed("qrl_args").c_str(), 0700);  // a folder where the dump should go
  writeFile(fixed("qrl_args") + "/keep", "");
  switchOn();
  ProgramRun run = filter.run(filter.jobSpec("", letter));
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err, "INFO: Logging enabled by " + fixed("qrl_log") + " file.\n" +
                         "ERROR: Unable to open file " + fixed("qrl_args") + "\n");
  EXPECT_EQ(run.out, expectedStream(plainJobBlock("alice", "", "1"), mergedPdfFor(letter, "")));
  EXPECT_FALSE(readFile(fixed("qrl_pdf2")).empty());
}

TEST_F(DiagnosticLogRun, PdfWorkFileThatCannotBeCreatedEndsTheJobAsTheMergesOpenFailure) {
  mkdir(fixed("qrl_pdf").c_str(), 0700);  // a folder where the work file should go
  writeFile(fixed("qrl_pdf") + "/keep", "");
  switchOn();
  ProgramRun run = filter.run(filter.jobSpec("", letter));
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "INFO: Logging enabled by " + fixed("qrl_log") + " file.\n" +
                         "ERROR: Unable to open file " + fixed("qrl_pdf") + "\n" +
                         "\nERROR : Unable to open input file: " + fixed("qrl_pdf") + "\n" +
                         "ERROR: Unable to print the job: Unable to open input file: " +
                         fixed("qrl_pdf") + "\n");
}

TEST_F(DiagnosticLogRun, FailedMergeLeavesArgumentLinesAnEmptyJobDumpAndTheWorkFiles) {
  const std::string noRoot = std::string(SAMPLE_DATA_DIR) + "/../tests/driver/data/no-root.pdf";
  ProgramSpec command = filter.jobSpec("a=1", noRoot);
  ProgramRun run = runLoggedAndCompare(command);
  EXPECT_EQ(run.exitStatus, 6);
  EXPECT_EQ(readFile(fixed("qrl_args")), argumentLines(command));
  EXPECT_EQ(readFile(fixed("qrl_pdf2")), "");
  EXPECT_EQ(readFile(fixed("qrl_pdf")), readFile(noRoot));
  EXPECT_FALSE(readFile(fixed("qrl_qfjt")).empty());
  EXPECT_EQ(access(fixed("qrl_tempPDF").c_str(), F_OK), 0);
}

TEST_F(DiagnosticLogRun, MergeFallbackDumpsTheChildPdf) {
  const std::string rc4 = std::string(SAMPLE_DATA_DIR) + "/../tests/driver/data/rc4-encrypted.pdf";
  ProgramRun run = runLoggedAndCompare(filter.jobSpec("", rc4));
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(readFile(fixed("qrl_pdf2")),
            jobDumpOf(plainJobBlock("alice", "", "1"), readFile(rc4), true));
  EXPECT_EQ(readFile(fixed("qrl_tempPDF")), "");
}
