// Jobs run under a CUPS queue (a PPD): queue defaults, jobs from clients
// other than macOS, page accounting and progress lines.
#include <gtest/gtest.h>

#include "filter_harness.h"

namespace {

const std::string kQueuePpd = std::string(SAMPLE_DATA_DIR) + "/../ppd/quorlan-pdf-laser.ppd";

class QueueJob : public ::testing::Test {
 protected:
  FilterHarness filter;
  std::string threePages = sampleFile("a4-3pages.pdf");

  ProgramSpec underQueue(ProgramSpec command) {
    command.env["PPD"] = kQueuePpd;
    return command;
  }
};

}  // namespace

TEST_F(QueueJob, LinuxJobTakesTitleCopiesAndStandardOptions) {
  ProgramSpec command = underQueue(filter.command(
      {"7", "ann", "Linux job", "3",
       "sides=two-sided-long-edge media=iso_a4_210x297mm InputSlot=Tray2", threePages}));
  ProgramRun run = filter.run(command);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err,
            "INFO: Converting the job to PDF\n"
            "INFO: Adding the print settings to the job\n"
            "INFO: Sending the job to the printer\n"
            "PAGE: total 9\n"
            "ATTR: job-impressions=9\n");
  const std::string ticketLine =
      "<PageAttribRange StartPageNum=\"1\" EndPageNum=\"3\" PaperTray=\"Tray 2\" "
      "PaperSize=\"A4\" Duplex=\"Long Edge\" Resolution=\"600\" Copies=\"1\">\n";
  EXPECT_NE(run.out.find(ticketLine), std::string::npos);
  EXPECT_NE(run.out.find("@PJL JOB NAME = \"Linux job\"\n"), std::string::npos);
  EXPECT_NE(run.out.find("@PJL SET QTY = 3\n"), std::string::npos);
  EXPECT_EQ(run.out.find("QCUSTOMPAPER"), std::string::npos);
}

TEST_F(QueueJob, MacJobIsSentExactlyAsWithoutAQueue) {
  const std::string options =
      "com.apple.print.JobInfo.PMJobName=Mac<20>job com.apple.print.PrintSettings.PMCopies..n.=2 "
      "media=Letter TonerDarkness=PrinterS";
  ProgramRun plain = filter.run(filter.jobSpec(options, threePages, "2"));
  ProgramRun queued = filter.run(underQueue(filter.jobSpec(options, threePages, "2")));
  EXPECT_EQ(queued.exitStatus, 0);
  EXPECT_EQ(queued.out, plain.out);
  EXPECT_EQ(queued.err,
            "INFO: Converting the job to PDF\n"
            "INFO: Adding the print settings to the job\n"
            "INFO: Sending the job to the printer\n"
            "PAGE: total 6\n"
            "ATTR: job-impressions=6\n");
}

TEST_F(QueueJob, WithoutAReadablePpdNothingChanges) {
  const std::string options = "sides=two-sided-long-edge InputSlot=Tray2";
  ProgramRun plain = filter.run(filter.jobSpec(options, threePages));
  ProgramSpec command = filter.jobSpec(options, threePages);
  command.env["PPD"] = filter.folder() / "missing.ppd";
  ProgramRun broken = filter.run(command);
  EXPECT_EQ(broken.out, plain.out);
  EXPECT_EQ(plain.err, "");
}
