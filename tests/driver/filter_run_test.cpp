// End-to-end runs of the filter program with a stand-in child filter.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "filter_harness.h"

namespace {

const std::string kUsage =
    "ERROR: $Revision: 1.16 $ \n\tticketpress job-id user title copies options [file]\n";

class FilterRun : public ::testing::Test {
 protected:
  FilterHarness filter;
  std::string letter = sampleFile("letter-1page.pdf");
  std::string letterBytes = readFile(letter);

  std::vector<std::string> framing(const std::string& user, const std::string& name,
                                   const std::string& qty) {
    return plainJobBlock(user, name, qty);
  }
  // No file of the run may outlive it with the log off.
  void expectNothingLeft() {
    EXPECT_EQ(filter.folder().list("tmp"), std::vector<std::string>{});
    EXPECT_EQ(filter.folder().list("fixed"), std::vector<std::string>{});
  }
};

}  // namespace

TEST_F(FilterRun, WrongArgumentCountPrintsUsageOnly) {
  const std::vector<std::vector<std::string>> counts = {
      {}, {"1", "u", "t", "1"}, {"1", "u", "t", "1", "", "f", "extra"}};
  for (const auto& args : counts) {
    ProgramSpec command = filter.command(args);
    command.env["FAKE_CHILD_PID"] = filter.folder() / "child-started";
    ProgramRun run = filter.run(command);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, kUsage);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(access((filter.folder() / "child-started").c_str(), F_OK), -1);
  }
  expectNothingLeft();
}

TEST_F(FilterRun, ChildWithoutOutputMeansNoData) {
  ProgramSpec command = filter.jobSpec("", letter);
  command.env["FAKE_CHILD_MODE"] = "empty";
  ProgramRun run = filter.run(command);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, "ERROR: Data to print not found.\n");
  EXPECT_EQ(run.out, "");
  expectNothingLeft();
}

TEST_F(FilterRun, MissingChildFilterIsReportedByPath) {
  ProgramSpec command = filter.jobSpec("", letter);
  command.env["TICKETPRESS_PDFTOPDF"] = filter.folder() / "no-such-filter";
  ProgramRun run = filter.run(command);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, "ERROR: Unable to start the PDF filter; tried " +
                         (filter.folder() / "no-such-filter") + " (No such file or directory)\n");
  EXPECT_EQ(run.out, "");
  expectNothingLeft();
}

// Started without standard output (or error), the filter's first file
// would take that descriptor and receive the printer stream: it must fail
// before it opens anything.
TEST_F(FilterRun, WithoutStandardOutputOrErrorNothingIsPrinted) {
  for (const int closed : {STDOUT_FILENO, STDERR_FILENO}) {
    ProgramSpec command = filter.jobSpec("", letter);
    command.env["FAKE_CHILD_PID"] = filter.folder() / "child-started";
    command.inChild = [closed] { close(closed); };
    ProgramRun run = filter.run(command);
    EXPECT_EQ(run.exitStatus, 1) << "descriptor " << closed;
    EXPECT_EQ(run.err, closed == STDOUT_FILENO ? "ERROR: Unable to print the job: no standard output.\n" : "");
    EXPECT_EQ(access((filter.folder() / "child-started").c_str(), F_OK), -1);
    expectNothingLeft();
  }
}

TEST_F(FilterRun, WithoutLibcupsTheJobStopsItsChildAndSaysWhy) {
  ProgramSpec command = filter.jobSpec("", letter);
  command.env["LD_LIBRARY_PATH"] = FAKE_CUPS_DIR;
  command.env["FAKE_CHILD_MODE"] = "pause";
  command.env["FAKE_CHILD_PID"] = filter.folder() / "child-pid";
  ProgramRun run = filter.run(command);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "ERROR: Unable to read the job's options: libcups.so.2 has no cupsParseOptions\n");
  // A child stopped before it could say its id is gone as well.
  const std::string child = readFile(filter.folder() / "child-pid");
  if (!child.empty()) {
    EXPECT_NE(kill(std::stoi(child), 0), 0) << "the child filter was left running";
  }
  expectNothingLeft();
}

TEST_F(FilterRun, SendsBannerPjlPdfEndOfJobAndTrailer) {
  const std::string options =
      "com.apple.print.JobInfo.PMJobName=Q<26>A<20>report com.apple.print.PrintSettings.PMCopies..n.=2";
  ProgramRun run = filter.run(filter.jobSpec(options, letter));
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            expectedStream(framing("alice", "Q<26>A report", "2"), mergedPdfFor(letter, options)));
  expectNothingLeft();
}

TEST_F(FilterRun, ChildGetsOneCopyAndTheFileOrStandardInput) {
  ProgramSpec command = filter.jobSpec("a=b", letter, "3");
  command.env["FAKE_CHILD_ARGS"] = filter.folder() / "args";
  ProgramRun run = filter.run(command);
  EXPECT_EQ(readFile(filter.folder() / "args"), "42\nalice\ntitle\n1\na=b\n" + letter + "\n");
  // Without the job's copy key the printer still makes the 3 copies asked for.
  const std::string sent = mergedPdfFor(letter, "a=b");
  EXPECT_EQ(run.out, expectedStream(framing("alice", "", "3"), sent));

  command = filter.command({"42", "alice", "title", "3", "a=b"});
  command.env["FAKE_CHILD_ARGS"] = filter.folder() / "args";
  command.stdinPath = letter;
  run = filter.run(command);
  EXPECT_EQ(readFile(filter.folder() / "args"), "42\nalice\ntitle\n1\na=b\n");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, expectedStream(framing("alice", "", "3"), sent));
}

TEST_F(FilterRun, HeldJobCopiesTravelInTheTicketNotInQty) {
  const std::string copies = " com.apple.print.PrintSettings.PMCopies..n.=5";
  ProgramRun run = filter.run(filter.jobSpec("PrintTo=JRPrinter" + copies, letter));
  EXPECT_EQ(run.out, expectedStream(plainJobBlock("alice", "", std::nullopt),
                                    mergedPdfFor(letter, "PrintTo=JRPrinter" + copies, 0)));
  EXPECT_NE(run.out.find("Copies=\"5\">"), std::string::npos);
  // Any other value is a routing the printer does not know: not held, and
  // the printer makes the copies.
  for (std::string printTo : {"jrprinter", "JRPrinter2", "JRMailBox"}) {
    run = filter.run(filter.jobSpec("PrintTo=" + printTo + " JRUSERNAME=ann" + copies, letter));
    EXPECT_EQ(run.out, expectedStream({jobInfoLine("alice"), "@PJL JOB NAME = \"\"\n",
                                       "@PJL SET USERNAME = \"ann\"\n", "@PJL SET HOLD = OFF\n",
                                       "@PJL SET QDUPLICATEHELDJOBS = SAVE\n",
                                       "@PJL SET QTY = 5\n"},
                                      mergedPdfFor(letter, "PrintTo=" + printTo + " JRUSERNAME=ann" + copies)))
        << printTo;
  }
}

TEST_F(FilterRun, UsbDeviceGetsTheTrailerOnlyOnARecentSystem) {
  struct Case {
    std::optional<std::string> uri, version;
    bool trailer;
  };
  const std::vector<Case> cases = {
      {"usb://Quorlan/Printer?serial=1", "0x1030", true},
      {"usb://Quorlan/Printer?serial=1", std::nullopt, true},
      {"usb://Quorlan/Printer?serial=1", "0x102F", false},
      {"usb://Quorlan/Printer?serial=1", "none", false},
      {"USB://Quorlan/Printer", "0x102F", true},
      {"socket://printer", "0x102F", true},
      {"socket://printer", "none", true},
      {std::nullopt, "none", true},
  };
  for (const Case& c : cases) {
    ProgramSpec command = filter.jobSpec("", letter);
    command.env["DEVICE_URI"] = c.uri;
    command.env["TICKETPRESS_SYSTEM_VERSION"] = c.version;
    ProgramRun run = filter.run(command);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, expectedStream(framing("alice", "", "1"), mergedPdfFor(letter, ""), c.trailer))
        << c.uri.value_or("(unset)") << " " << c.version.value_or("(unset)");
  }
}

TEST_F(FilterRun, PrinterGoneIsAnErrorNotSuccess) {
  ProgramSpec command = filter.jobSpec("", letter);
  command.stdoutPath = "/dev/full";
  ProgramRun run = filter.run(command);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, "ERROR: Unable to send the job to the printer: No space left on device\n");

  command = filter.jobSpec("", letter);
  command.stdoutIsClosedPipe = true;
  run = filter.run(command);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, "ERROR: Unable to send the job to the printer: Broken pipe\n");
  expectNothingLeft();
}

TEST_F(FilterRun, FullWorkFolderSendsNothing) {
  const std::string big = filter.folder() / "big.pdf";
  writeFile(big, "%PDF-1.4\n" + std::string(256 * 1024, 'x') + "\n%%EOF\n");
  ProgramSpec command = filter.jobSpec("", big);
  command.inChild = [] {
    struct rlimit limit = {64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
  };
  ProgramRun run = filter.run(command);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("ERROR: Unable to write file "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
  expectNothingLeft();
}

TEST_F(FilterRun, CancelStopsTheChildAndRemovesWorkFiles) {
  ProgramSpec command = filter.jobSpec("", letter);
  command.env["FAKE_CHILD_MODE"] = "pause";
  command.env["FAKE_CHILD_PID"] = filter.folder() / "child-pid";
  StartedProgram started = startProgram(command, filter.folder().path());
  for (int i = 0; i < 200 && readFile(filter.folder() / "child-pid").empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // job spooled, child waiting
  ASSERT_EQ(filter.folder().list("tmp").size(), 1u);

  kill(started.pid, SIGTERM);
  ProgramRun run = finishProgram(started);
  EXPECT_EQ(run.signal, SIGTERM);
  EXPECT_EQ(run.out, "");
  expectNothingLeft();

  pid_t child = std::stoi(readFile(filter.folder() / "child-pid"));
  bool childGone = false;
  for (int i = 0; i < 100 && !childGone; ++i) {
    std::string stat = readFile("/proc/" + std::to_string(child) + "/stat");
    childGone = stat.empty() || stat.find(") Z") != std::string::npos;
    if (!childGone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(childGone);
}

TEST_F(FilterRun, ConcurrentJobsEachSendTheirOwnPdf) {
  const std::string a4 = sampleFile("a4-3pages.pdf");
  std::vector<StartedProgram> started;
  for (const std::string& file : {letter, a4, letter, a4}) {
    ProgramSpec command = filter.jobSpec("", file);
    command.env["FAKE_CHILD_MODE"] = "slow";  // the runs overlap while spooling
    started.push_back(startProgram(command, filter.folder().path()));
  }
  for (size_t i = 0; i < started.size(); ++i) {
    ProgramRun run = finishProgram(started[i]);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, expectedStream(framing("alice", "", "1"), mergedPdfFor(i % 2 ? a4 : letter, "")));
  }
  expectNothingLeft();
}

TEST_F(FilterRun, LoggedRunKeepsThePdfWorkFileAndSendsTheSameBytes) {
  const std::string options = "com.apple.print.JobInfo.PMJobName=Logged";
  ProgramRun plain = filter.run(filter.jobSpec(options, letter));

  mkdir((filter.fixedFolder() + "/qrl_log").c_str(), 0700);  // a folder switches it on too
  ProgramRun logged = filter.run(filter.jobSpec(options, letter));
  EXPECT_EQ(logged.exitStatus, 0);
  EXPECT_EQ(logged.err, "INFO: Logging enabled by " + filter.fixedFolder() + "/qrl_log file.\n");
  EXPECT_EQ(logged.out, plain.out);
  EXPECT_EQ(readFile(filter.fixedFolder() + "/qrl_pdf"), letterBytes);
  EXPECT_EQ(readFile(filter.fixedFolder() + "/qrl_qfjt"),
            "<QuorlanFormJobTicket JobName=\"Logged\" >\n"
            "<PageAttribRange StartPageNum=\"1\" EndPageNum=\"1\" Copies=\"1\">\n"
            "</PageAttribRange>\n</QuorlanFormJobTicket>\n");
  EXPECT_EQ(filter.folder().list("tmp"), std::vector<std::string>{});
}

TEST_F(FilterRun, LoggedRunNeverFollowsAPlantedSymlink) {
  writeFile(filter.fixedFolder() + "/qrl_log", "");
  const std::vector<std::string> names = {"qrl_pdf", "qrl_qfjt", "qrl_tempPDF",
                                          "qrl_pdf2", "qrl_args", "qrl_lock"};
  for (const std::string& name : names) {
    writeFile(filter.folder() / ("victim-" + name), "precious");
    ASSERT_EQ(symlink((filter.folder() / ("victim-" + name)).c_str(),
                      (filter.fixedFolder() + "/" + name).c_str()),
              0);
  }

  ProgramRun run = filter.run(filter.jobSpec("", letter));
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.out, expectedStream(framing("alice", "", "1"), mergedPdfFor(letter, "")));
  for (const std::string& name : names) {
    EXPECT_EQ(readFile(filter.folder() / ("victim-" + name)), "precious") << name;
    struct stat info;
    ASSERT_EQ(lstat((filter.fixedFolder() + "/" + name).c_str(), &info), 0) << name;
    EXPECT_TRUE(S_ISREG(info.st_mode)) << name;
    EXPECT_EQ(info.st_mode & 0777, 0600u) << name;
  }
  EXPECT_EQ(readFile(filter.fixedFolder() + "/qrl_pdf"), letterBytes);
}

TEST_F(FilterRun, ConcurrencySoakKeepsEveryJobToItself) {
  constexpr int kJobs = 16;
  constexpr int kRounds = 50;
  const std::string a4 = sampleFile("a4-3pages.pdf");
  std::vector<ProgramSpec> jobs;
  std::vector<std::string> alone;
  for (int i = 0; i < kJobs; ++i) {
    jobs.push_back(filter.jobSpec("com.apple.print.JobInfo.PMJobName=job<20>" + std::to_string(i) +
                                      " com.apple.print.PrintSettings.PMCopies..n.=" +
                                      std::to_string(i + 1),
                                  i % 2 ? a4 : letter, "1", "user" + std::to_string(i)));
    alone.push_back(filter.run(jobs.back()).out);
  }
  for (int round = 0; round < kRounds; ++round) {
    std::vector<StartedProgram> started;
    for (const ProgramSpec& job : jobs) started.push_back(startProgram(job, filter.folder().path()));
    for (int i = 0; i < kJobs; ++i) {
      ProgramRun run = finishProgram(started[i]);
      ASSERT_EQ(run.exitStatus, 0) << "round " << round << " job " << i << ": " << run.err;
      ASSERT_EQ(run.out, alone[i]) << "round " << round << " job " << i;
      unlink(started[i].outPath.c_str());
      unlink(started[i].errPath.c_str());
    }
  }
  expectNothingLeft();
}

TEST_F(FilterRun, MacHeldJobWithTrayDensityColourAndCustomPaper) {
  const std::string options =
      "PrintTo=JRConf JRUSERNAME=alice JRHOLDKEY=1234 InputSlot=Tray2 TonerDarkness=8 "
      "BLW=FalseM ManualCMYK=USCMYK MediaColor=Auto media=Custom.595x842 "
      "com.apple.print.JobInfo.PMJobName=Report com.apple.print.PrintSettings.PMCopies..n.=2";
  ProgramRun run = filter.run(filter.jobSpec(options, letter, "2", "macuser"));
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, expectedStream({jobInfoLine("macuser"), "@PJL JOB NAME = \"Report\"\n",
                                     "@PJL SET QCUSTOMPAPERUNITS = INCHES\n",
                                     "@PJL SET QCUSTOMPAPERWIDTH = 8.26\n",
                                     "@PJL SET QCUSTOMPAPERHEIGHT = 11.69\n",
                                     "@PJL SET DENSITY = 3\n", "@PJL SET USERNAME = \"alice\"\n",
                                     "@PJL SET HOLD = ON\n", "@PJL SET HOLDTYPE = PRIVATE\n",
                                     "@PJL SET HOLDKEY = \"1234\"\n",
                                     "@PJL SET QCOLORCORRECTION = AUTO\n",
                                     "@PJL SET QMANUALCOLORCMYKIMAGE = SWOP\n",
                                     "@PJL SET QMANUALCOLORCMYKTEXT = SWOP\n",
                                     "@PJL SET QMANUALCOLORCMYKGRAPHICS = SWOP\n",
                                     "@PJL SET QCOLORMODEL = CMYK\n",
                                     "@PJL SET QDUPLICATEHELDJOBS = SAVE\n", "@PJL SET QTY = 2\n"},
                                    mergedPdfFor(letter, options)));
}

TEST_F(FilterRun, HostileOptionsCannotInjectPrinterCommands) {
  const std::string hostile = "x<0A>@PJL FSDELETE NAME = \"0:\\\\\"<1B>%-12345X\r\n@PJL RDYMSG";
  ProgramSpec command = filter.jobSpec(
      "com.apple.print.JobInfo.PMJobName='" + hostile + "' PrintTo=JRConf JRUSERNAME='" + hostile +
          "' JRHOLDKEY='" + hostile + "' TonerDarkness='" + hostile + "' QrlContrast='" + hostile +
          "' com.apple.print.PrintSettings.PMCopies..n.='" + hostile + "'",
      letter, "1", "eve\x1B%-12345X");
  ProgramRun run = filter.run(command);
  EXPECT_EQ(run.exitStatus, 0);
  const std::string header = run.out.substr(0, run.out.find("%PDF-"));
  const std::string trailer = run.out.substr(run.out.rfind("%%EOF\n") + 6);
  EXPECT_EQ(std::count(header.begin(), header.end(), '\x1B'), 1);  // the banner's UEL only
  EXPECT_EQ(std::count(trailer.begin(), trailer.end(), '\x1B'), 3);
  size_t lines = 0;
  for (size_t at = header.find('\n') + 1; at < header.size(); at = header.find('\n', at) + 1) {
    EXPECT_EQ(header.compare(at, 5, "@PJL "), 0) << header.substr(at, 40);
    ++lines;
  }
  EXPECT_EQ(lines, 10u);  // QJOBINFO JOB DENSITY USERNAME HOLD HOLDTYPE HOLDKEY CONTRAST SAVE QTY
}

TEST_F(FilterRun, MergeFailureSendsNothingAndEndsWithTheMergeStatus) {
  const std::string noRoot = std::string(SAMPLE_DATA_DIR) + "/../tests/driver/data/no-root.pdf";
  ProgramRun run = filter.run(filter.jobSpec("", noRoot));
  EXPECT_EQ(run.exitStatus, 6);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "\nError: Root node not found in trailer.\n"
                     "ERROR: Unable to print the job: Root node not found in trailer.\n");
  expectNothingLeft();
}

TEST_F(FilterRun, IncompleteTicketIsNeverEmbedded) {
  // The job fits the file size limit, its ticket (with a long name) does not.
  const std::string small = filter.folder() / "small.pdf";
  writeFile(small, "%PDF-1.4 tiny job\n");
  const std::string options = "com.apple.print.JobInfo.PMJobName=" + std::string(3000, 'n');
  ProgramSpec command = filter.jobSpec(options, small);
  command.argv.insert(command.argv.begin(),
                      {"/bin/sh", "-c", "(ulimit -f 2; exec \"$0\" \"$@\") | cat"});
  ProgramRun run = filter.run(command);
  EXPECT_EQ(run.exitStatus, 0);
  const std::string ticketPath = "/qrl_qfjt\n";
  EXPECT_NE(run.err.find("ERROR: Unable to write file "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(ticketPath + "ERROR: Unable to add settings to print job.\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.out, expectedStream(framing("alice", std::string(3000, 'n'), "1"),
                                    "%PDF-1.4 tiny job\n"));
  expectNothingLeft();
}

TEST_F(FilterRun, EncryptedJobThatCannotCarryATicketPrintsWithoutIt) {
  const std::string rc4 = std::string(SAMPLE_DATA_DIR) + "/../tests/driver/data/rc4-encrypted.pdf";
  ProgramRun run = filter.run(filter.jobSpec("", rc4));
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.err.find("its encryption has no Identity crypt filter"), std::string::npos);
  EXPECT_TRUE(run.err.ends_with("ERROR: Unable to add settings to print job.\n")) << run.err;
  EXPECT_EQ(run.out, expectedStream(framing("alice", "", "1"), readFile(rc4)));
  expectNothingLeft();
}

TEST_F(FilterRun, FailingCrashingOrGarbageChildSendsNothing) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"fail", "ERROR: The PDF filter " FAKE_PDFTOPDF " failed with exit status 3\n"},
      {"crash", "ERROR: The PDF filter " FAKE_PDFTOPDF " was killed by signal 11\n"},
      {"garbage", "\nError: Malformed PDF: "},
  };
  for (const auto& [mode, message] : cases) {
    ProgramSpec command = filter.jobSpec("", letter);
    command.env["FAKE_CHILD_MODE"] = mode;
    ProgramRun run = filter.run(command);
    EXPECT_NE(run.exitStatus, 0) << mode;
    EXPECT_EQ(run.out, "") << mode;
    EXPECT_TRUE(run.err.starts_with(message)) << mode << ": " << run.err;
    expectNothingLeft();
  }
}

TEST_F(FilterRun, CancelWhileSendingClosesThePrinterJob) {
  // A job large enough that the printer side is still reading it when the
  // cancel comes: one page whose content stream is 32 MB of spaces.
  const std::string content = "BT /F1 24 Tf 72 700 Td (big) Tj ET" + std::string(32 << 20, ' ');
  std::string pdf = "%PDF-1.4\n";
  std::vector<size_t> offsets;
  for (const std::string& object :
       {std::string("<< /Type /Catalog /Pages 2 0 R >>"),
        std::string("<< /Type /Pages /Kids [3 0 R] /Count 1 >>"),
        std::string("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R >>"),
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
            "\nendstream"}) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(offsets.size()) + " 0 obj\n" + object + "\nendobj\n";
  }
  const size_t xref = pdf.size();
  pdf += "xref\n0 5\n0000000000 65535 f \n";
  for (size_t offset : offsets) {
    char entry[21];
    snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
    pdf += entry;
  }
  pdf += "trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  const std::string big = filter.folder() / "big.pdf";
  writeFile(big, pdf);

  const std::string fifo = filter.folder() / "printer";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ProgramSpec command = filter.jobSpec("", big);
  command.stdoutPath = fifo;
  std::string received;
  std::promise<void> headerArrived;
  std::thread printer([&] {
    FILE* in = fopen(fifo.c_str(), "rb");
    char block[4096];
    size_t n = fread(block, 1, sizeof block, in);  // the header and the start of the PDF
    received.assign(block, n);
    headerArrived.set_value();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the printer is busy
    while ((n = fread(block, 1, sizeof block, in)) > 0) received.append(block, n);
    fclose(in);
  });
  StartedProgram started = startProgram(command, filter.folder().path());
  headerArrived.get_future().wait();
  kill(started.pid, SIGTERM);
  ProgramRun run = finishProgram(started);
  printer.join();
  EXPECT_EQ(run.signal, SIGTERM);
  ASSERT_TRUE(received.starts_with(kUelBytes + "@PJL COMMENT Quorlan PDF PrintPath Filter\n"));
  EXPECT_TRUE(received.ends_with(kUelBytes + "@PJL EOJ\n" + kUelBytes))
      << received.substr(received.size() > 80 ? received.size() - 80 : 0);
  EXPECT_LT(received.size(), pdf.size());
  expectNothingLeft();
}
