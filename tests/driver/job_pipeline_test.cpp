// The job pipeline called in process, as a front end other than the CUPS
// filter calls it: into memory it must give the filter's standard output
// byte for byte, tell the filter's messages, and leave the job's PDF as it
// was.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "filter_harness.h"
#include "job_pipeline.h"

namespace {

class JobPipeline : public ::testing::Test {
 protected:
  FilterHarness filter;
  std::string letter = sampleFile("letter-1page.pdf");
  std::string letterBytes = readFile(letter);
  std::vector<std::string> messages;
  std::vector<bool> printerJob;
  JobEvents events;

  JobPipeline() {
    setenv("TMPDIR", filter.tmpFolder().c_str(), 1);
    events.message = [this](const std::string& line) { messages.push_back(line); };
    events.printerJobOpen = [this](bool open) { printerJob.push_back(open); };
  }
  ~JobPipeline() override { unsetenv("TMPDIR"); }

  // Runs the job through the pipeline with the log off into sink.
  JobOutcome print(const std::string& options, PrinterSink& sink) {
    std::string error;
    std::unique_ptr<WorkArea> area = WorkArea::create(false, filter.fixedFolder(), error);
    EXPECT_TRUE(area) << error;
    PrintJob job;
    job.pdfPath = letter;
    job.options = argumentStore::initWithOptionString(options.c_str());
    job.user = "bob";
    job.copies = "2";
    return printJob(job, *area, sink, events);
  }
};

}  // namespace

TEST_F(JobPipeline, MemorySinkGetsTheFilterStreamAndMessages) {
  const std::string options =
      "com.apple.print.JobInfo.PMJobName=Memo PrintTo=JRConf JRUSERNAME=ann JRHOLDKEY=4321 "
      "TonerDarkness=8 InputSlot=Tray2 media=Custom.wide com.apple.print.PrintSettings.PMCopies..n.=2";
  ProgramRun filterRun = filter.run(filter.jobSpec(options, letter, "2", "bob"));
  ASSERT_EQ(filterRun.exitStatus, 0) << filterRun.err;

  std::string received;
  PrinterSink memory([&received](std::string_view bytes) {
    received += bytes;
    return 0;
  });
  JobOutcome outcome = print(options, memory);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.error, "");
  EXPECT_EQ(received, filterRun.out);
  std::string told;
  for (const std::string& line : messages) told += line;
  EXPECT_EQ(told, filterRun.err);
  EXPECT_EQ(told, "ERROR: custom media size value\n");
  EXPECT_EQ(printerJob, (std::vector<bool>{true, false}));
  EXPECT_EQ(readFile(letter), letterBytes) << "the job's PDF is only read";
  EXPECT_EQ(filter.folder().list("tmp"), std::vector<std::string>{});
}

TEST_F(JobPipeline, PrinterGoneMidJobEndsItOpenWithTheReason) {
  size_t taken = 0;
  PrinterSink vanishing([&taken](std::string_view bytes) {
    if (taken > 600) return EPIPE;  // gone once the PDF has begun
    taken += bytes.size();
    return 0;
  });
  JobOutcome outcome = print("", vanishing);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.error, "Unable to send the job to the printer: Broken pipe");
  EXPECT_EQ(printerJob, std::vector<bool>{true}) << "the front end must close the printer job";
  EXPECT_EQ(filter.folder().list("tmp"), std::vector<std::string>{});
}
