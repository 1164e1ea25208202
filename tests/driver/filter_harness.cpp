#include "filter_harness.h"

#include <sys/stat.h>

#include "form_job_ticket.h"
#include "insertqfjt_command.h"
#include "pjl_commands.h"

FilterHarness::FilterHarness() {
  mkdir(tmpFolder().c_str(), 0700);
  mkdir(fixedFolder().c_str(), 0700);
}

ProgramSpec FilterHarness::command(const std::vector<std::string>& args) const {
  ProgramSpec s;
  s.argv.push_back(TICKETPRESS_BINARY);
  s.argv.insert(s.argv.end(), args.begin(), args.end());
  s.env = {{"TICKETPRESS_PDFTOPDF", FAKE_PDFTOPDF},
           {"TMPDIR", tmpFolder()},
           {"TICKETPRESS_TMPDIR", fixedFolder()},
           {"DEVICE_URI", std::nullopt},
           {"TICKETPRESS_SYSTEM_VERSION", std::nullopt},
           {"FAKE_CHILD_MODE", std::nullopt},
           {"FAKE_CHILD_ARGS", std::nullopt},
           {"FAKE_CHILD_PID", std::nullopt}};
  return s;
}

ProgramSpec FilterHarness::jobSpec(const std::string& options, const std::string& file,
                                   const std::string& copies, const std::string& user) const {
  return command({"42", user, "title", copies, options, file});
}

std::string jobInfoLine(const std::string& user) {
  return "@PJL QJOBINFO USERID = \"" + user + "\" HOSTID = \"" + localHostName() + "\"\n";
}

std::vector<std::string> plainJobBlock(const std::string& user, const std::string& name,
                                       const std::optional<std::string>& qty) {
  std::vector<std::string> block = {jobInfoLine(user), "@PJL JOB NAME = \"" + name + "\"\n",
                                    "@PJL SET USERNAME = \"" + user + "\"\n",
                                    "@PJL SET QDUPLICATEHELDJOBS = SAVE\n"};
  if (qty) block.push_back("@PJL SET QTY = " + *qty + "\n");
  return block;
}

std::string expectedStream(const std::vector<std::string>& lines, const std::string& pdf,
                           bool withTrailer) {
  std::string s = kUelBytes + "@PJL COMMENT Quorlan PDF PrintPath Filter\n";
  for (const std::string& line : lines) s += line;
  s += pdf + "@PJL EOJ\n";
  if (withTrailer)
    s += kUelBytes + kUelBytes + "@PJL JOB\n@PJL QPORTROTATE\n@PJL EOJ\n" + kUelBytes;
  return s;
}

std::string sampleFile(const std::string& name) { return std::string(SAMPLE_DATA_DIR) + "/" + name; }

std::string mergedPdfFor(const std::string& pdfPath, const std::string& optionString,
                         int newCopiesCount) {
  ScratchFolder folder;
  writeFile(folder / "ticket",
            formJobTicket::initWithTicket(argumentStore::initWithOptionString(optionString.c_str()),
                                          newCopiesCount)
                ->text());
  MergeResult merge = insertQFJT(4, {"", pdfPath, folder / "merged", folder / "ticket"});
  return merge.status == kMergeOk ? readFile(folder / "merged") : "merge failed: " + merge.message;
}
