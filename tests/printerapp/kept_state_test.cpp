// A job the state shows printing is queued again at the next start, and
// nothing else in the state changes: not a printing job's other fields, not
// a job name that holds the same text, nor other jobs and printers. A state
// whose job names carry line ends or run long is read whole again, as the
// loader would have read it had PAPPL kept them on one line.
#include <cups/cups.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "client_names.h"
#include "kept_state.h"
#include "state_repair.h"

namespace {

// The lines of text, split at LF alone.
std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A job line's values as PAPPL's loader reads them, with libcups.
std::map<std::string, std::string> jobValues(const std::string& line) {
  cups_option_t* options = nullptr;
  const int count = cupsParseOptions(line.c_str() + 4, 0, &options);
  std::map<std::string, std::string> values;
  for (int i = 0; i < count; ++i) values[options[i].name] = options[i].value;
  cupsFreeOptions(count, options);
  return values;
}

bool hasControl(const std::string& value) {
  for (const char c : value)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  return false;
}

}  // namespace

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

// The state an application kept before names were made one line: job 2's
// name carries a printer of its own on a line of its own, and job 3's name
// is longer than a line the loader reads.
TEST(KeptState, InjectedNamesAreReadBackAsTheirJobsNames) {
  std::ifstream in(PROJECT_SOURCE_DIR "/tests/printerapp/injected-names.state", std::ios::binary);
  std::stringstream kept;
  kept << in.rdbuf();
  const std::vector<std::string> before = linesOf(kept.str());
  ASSERT_EQ(before.size(), 62U);

  const RepairedState repaired = repairKeptState(kept.str());
  const std::vector<std::string> after = linesOf(repaired.text);
  std::vector<std::string> printers, others;
  std::map<std::string, std::map<std::string, std::string>> jobs;
  for (const std::string& line : after) {
    EXPECT_LE(line.size(), kMaxStateLineOctets);
    if (line.starts_with("<Printer")) printers.push_back(line);
    const std::string id = line.starts_with("Job ") ? jobValues(line)["id"] : "";
    if (!id.empty()) jobs[id] = jobValues(line);
    if (id != "2" && id != "3") others.push_back(line);
  }
  EXPECT_EQ(printers, std::vector<std::string>{before[7]});
  const std::map<std::string, std::string> users = {{"1", "alice"}, {"2", "mallory"}, {"3", "mallory"}, {"4", "bob"}};
  ASSERT_EQ(jobs.size(), users.size());
  for (const auto& [id, user] : users) {
    EXPECT_EQ(jobs[id]["username"], user) << "job " << id;
    EXPECT_EQ(jobs[id]["state"], "9") << "job " << id;
    EXPECT_EQ(jobs[id]["format"], "application/pdf") << "job " << id;
    EXPECT_LE(jobs[id]["name"].size(), kMaxNameOctets) << "job " << id;
    EXPECT_FALSE(hasControl(jobs[id]["name"])) << "job " << id;
  }
  EXPECT_EQ(jobs["1"]["name"], "before-1");
  EXPECT_TRUE(jobs["2"]["name"].starts_with("injected<Printer did=x")) << jobs["2"]["name"];
  EXPECT_EQ(jobs["3"]["name"], std::string(255, 'L'));
  EXPECT_EQ(jobs["4"]["name"], "after-1");

  // Lines 57 to 60 are jobs 3 and 2; all else stays byte for byte.
  std::vector<std::string> untouched(before.begin(), before.begin() + 56);
  untouched.insert(untouched.end(), before.begin() + 60, before.end());
  EXPECT_EQ(others, untouched);
  EXPECT_EQ(repaired.notes, (std::vector<std::string>{"line 57: job 3's name cut to 255 octets",
                                                      "line 58: job 2's name held line ends; they were removed"}));

  const RepairedState again = repairKeptState(repaired.text);
  EXPECT_EQ(again.text, repaired.text);
  EXPECT_TRUE(again.notes.empty());
}

// Each way a state line can be more than the loader takes, and what good
// form looks like next to it: a lone quote outside job lines, a line of
// exactly 2,047 octets, and escaped quotes and backslashes stay as they are.
// The loader takes a job line in any case, so the repair does too.
TEST(KeptState, RepairDropsOrMendsWhatTheLoaderCannotTakeAndKeepsTheRest) {
  const std::string longest = "Location " + std::string(2038, 'x');
  const std::string escaped = "Job format=\"f\" id=\"8\" name=\"say \\\"hi\\\" C:\\\\dir\\\\\" username=\"u\"";
  // 253 octets, then a euro sign of three that the bound would split.
  const std::string euro = std::string(253, 'a') + "\xE2\x82\xAC";
  const std::string state =
      "<Printer did=\"\" driver=\"d\" id=\"1\" name=\"p\" uri=\"file:///dev/null\">\n"          // 1
      "Location 5\" shelf\n" +                                                                  // 2
      longest + "\n"                                                                            // 3
      "Job format=\"f\" id=\"5\" name=\"cr\rcrlf\r\nend\" state=\"5\" username=\"u\"\n"         // 4-6
      "Job id=\"6\" name=\"no format\" username=\"u\"\n" +                                      // 7
      std::string(5000, 'x') + "\n"                                                             // 8
      "Job format=\"f\" id=\"7\" name=\"" + euro + "\" username=\"u\"\n" +                      // 9
      escaped + "\n"                                                                            // 10
      "jOB format=\"f\" id=\"10\" name=\"n\" username=\"u\"\n"                                  // 11
      "</Printer>\n"                                                                            // 12
      "Job format=\"f\" id=\"9\" name=\"never closed\n"                                         // 13
      "</Printer>\n";
  const RepairedState repaired = repairKeptState(state);

  const std::string expected =
      "<Printer did=\"\" driver=\"d\" id=\"1\" name=\"p\" uri=\"file:///dev/null\">\n"
      "Location 5\" shelf\n" +
      longest + "\n"
      "Job format=\"f\" id=\"5\" name=\"crcrlfend\" state=\"5\" username=\"u\"\n"
      "Job format=\"f\" id=\"7\" name=\"" + std::string(253, 'a') + "\" username=\"u\"\n" +
      escaped + "\n"
      "Job format=\"f\" id=\"10\" name=\"n\" username=\"u\"\n"
      "</Printer>\n";
  EXPECT_EQ(repaired.text, expected);
  EXPECT_EQ(jobValues(escaped)["name"], "say \"hi\" C:\\dir\\");
  EXPECT_EQ(repaired.notes,
            (std::vector<std::string>{
                "line 4: job 5's name held line ends; they were removed",
                "line 7: dropped job 6's line, which has no format; the loader would stop reading the "
                "printer's jobs there",
                "line 8: dropped a line of 5,000 octets that the loader cannot read",
                "line 9: job 7's name cut to 253 octets",
                "line 11: job 10's line rewritten in the form PAPPL writes",
                "line 13: dropped a job line whose quoted value never closes before the end of the file"}));
  EXPECT_EQ(requeueInterruptedJobs(repaired.text).find("id=\"5\" name=\"crcrlfend\" state=\"3\""),
            expected.find("id=\"5\""));

  const RepairedState again = repairKeptState(repaired.text);
  EXPECT_EQ(again.text, repaired.text);
  EXPECT_TRUE(again.notes.empty());

  // A job still waiting for its document, as PAPPL saves it, is kept.
  EXPECT_EQ(addMissingJobFormats("Job id=\"6\" name=\"a \\\"b\\\"\" username=\"u\"\r\nLocation x\n"),
            "Job format=\"application/octet-stream\" id=\"6\" name=\"a \\\"b\\\"\" username=\"u\"\r\nLocation x\n");
}
