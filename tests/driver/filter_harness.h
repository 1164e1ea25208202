// Runs the real ticketpress program on a job, with a stand-in child filter
// unless a test asks otherwise, in folders of its own.
#pragma once

#include <string>
#include <vector>

#include "run_program.h"

// The bytes of the Universal Exit Language sequence.
inline const std::string kUelBytes = "\x1B%-12345X";

class FilterHarness {
 public:
  FilterHarness();

  // The folders a run uses: $TMPDIR for private work folders, and the
  // stand-in for "/tmp" of the fixed names.
  std::string tmpFolder() const { return scratch / "tmp"; }
  std::string fixedFolder() const { return scratch / "fixed"; }
  const ScratchFolder& folder() const { return scratch; }

  // A filter command line: ticketpress followed by args.
  ProgramSpec command(const std::vector<std::string>& args) const;
  // A command line for a job in file: job id, user, title, copies, options, file.
  ProgramSpec jobSpec(const std::string& options, const std::string& file,
                      const std::string& copies = "1", const std::string& user = "alice") const;
  ProgramRun run(const ProgramSpec& command) const { return runProgram(command, scratch.path()); }

 private:
  ScratchFolder scratch;
};

// The QJOBINFO line this machine produces for user.
std::string jobInfoLine(const std::string& user);

// The PJL block of a job that names no printer setting: identification,
// job name, user, the closing settings line and, when given, the copy count.
std::vector<std::string> plainJobBlock(const std::string& user, const std::string& name,
                                       const std::optional<std::string>& qty);

// The whole printer stream of a job: banner, lines, pdf, EOJ and, when
// withTrailer, the closing PJL job.
std::string expectedStream(const std::vector<std::string>& lines, const std::string& pdf,
                           bool withTrailer = true);

// The PDF the filter should send for a job with optionString on the PDF in
// pdfPath: that PDF with the job's ticket merged in. newCopiesCount as the
// filter decides it (0 for a job held with "JRPrinter").
std::string mergedPdfFor(const std::string& pdfPath, const std::string& optionString,
                         int newCopiesCount = 1);

// Path of a sample file of the repository's data folder.
std::string sampleFile(const std::string& name);
