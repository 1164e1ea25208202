// The print system's PDF-to-PDF filter, run as a child process that turns
// the job into one PDF on its standard output, which is the spool file
// itself: the PDF never passes through the filter on its way there.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

// The child's arguments: the filter's own arguments 1 to argc-1, with the
// copies argument (4) replaced by "1" so the PDF holds one copy.
std::vector<std::string> getArgs(int argc, char* argv[]);

// Where the child may be, in the order to try: TICKETPRESS_PDFTOPDF alone
// when set; else $CUPS_SERVERBIN/filter/pdftopdf and the two usual CUPS
// filter folders.
std::vector<std::string> childFilterCandidates();

struct ChildFilter {
  pid_t pid = -1;
  std::string path;
};

// Starts the first candidate that can be run, with args after its path as
// argument 0, its standard output on outputFd, inheriting standard input,
// standard error and the environment. On failure error names every path
// tried and why.
std::optional<ChildFilter> startChildFilter(const std::vector<std::string>& candidates,
                                            const std::vector<std::string>& args, int outputFd,
                                            std::string& error);
