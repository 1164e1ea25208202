// A job the state shows printing is queued again at the next start, and
// nothing else in the state changes: not a printing job's other fields, not
// a job name that holds the same text, nor other jobs and printers.
#include <gtest/gtest.h>

#include "kept_state.h"

TEST(KeptState, OnlyAJobsOwnPrintingStateIsQueuedAgain) {
  const std::string state =
      "<Printer id=\"1\" name=\"laser\" state=\"5\">\n"
      "Job created=\"1\" id=\"15\" name=\"unreachable\" processing=\"2\" state=\"5\" username=\"alice\"\n"
      "Job id=\"16\" name=\"x\\\" state=\\\"5\\\" y\" state=\"3\" username=\"bob\"\n"
      "Job id=\"17\" name=\" state=\\\"5\\\"\" state=\"9\" username=\"carol\"\n"
      "Job id=\"18\" name=\"done\" state=\"5\"";
  const std::string expected =
      "<Printer id=\"1\" name=\"laser\" state=\"5\">\n"
      "Job created=\"1\" id=\"15\" name=\"unreachable\" processing=\"2\" state=\"3\" username=\"alice\"\n"
      "Job id=\"16\" name=\"x\\\" state=\\\"5\\\" y\" state=\"3\" username=\"bob\"\n"
      "Job id=\"17\" name=\" state=\\\"5\\\"\" state=\"9\" username=\"carol\"\n"
      "Job id=\"18\" name=\"done\" state=\"3\"";
  EXPECT_EQ(requeueInterruptedJobs(state), expected);
  EXPECT_EQ(requeueInterruptedJobs(""), "");
}
