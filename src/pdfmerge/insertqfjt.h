// The job ticket merge: appends a form job ticket to a PDF as an incremental
// update, or takes an embedded ticket back out.
//
// Command line (argumentValue[0] is the program name, used in the usage text):
//   4 entries: infile outfile insertfile  combine infile and the ticket into outfile
//   3 entries: infile outfile             extract the ticket into outfile
//   2 entries: infile                     extract the ticket to standardOutput
//
// Exit statuses:
//   0  success; also when an encrypted input cannot carry a readable ticket:
//      the output is then left empty and message says why, so the caller
//      sends the input without the ticket
//   1  wrong argument count (usage text)
//   2  the input cannot be opened, or its path is longer than 99 bytes
//   3  the ticket file cannot be opened, or its path is longer than 99 bytes
//   4  the output cannot be opened or written, its path is longer than 99
//      bytes, or it is the input file itself
//   5  out of memory while reading the cross-reference data
//   6  no trailer names the catalog (/Root)
//   7  the catalog has no usable cross-reference entry
//   8  the catalog is not a dictionary
//   9  the PDF is malformed: too many cross-reference sections, or any
//      cross-reference data, object or stream that cannot be read within
//      the file (the message names the byte)
//   10 extract mode and the PDF holds no ticket
#pragma once

#include <unistd.h>

#include <string>
#include <vector>

enum MergeStatus {
  kMergeOk = 0,
  kMergeUsage = 1,
  kMergeInputOpen = 2,
  kMergeTicketOpen = 3,
  kMergeOutputOpen = 4,
  kMergeNoMemory = 5,
  kMergeNoRootInTrailer = 6,
  kMergeNoRootInXref = 7,
  kMergeBadRoot = 8,
  kMergeMalformed = 9,
  kMergeNoTicket = 10,
};

struct MergeResult {
  int status = kMergeOk;
  // The exact bytes for standard error; empty when there is nothing to say.
  std::string message;
};

// Runs the merge for the command line in argumentValue (argumentCount
// entries are used). Extracted ticket bytes of the two-entry form go to the
// descriptor standardOutput, which stays open. Never exits, never writes to
// standard error.
MergeResult insertQFJT(int argumentCount, const std::vector<std::string>& argumentValue,
                       int standardOutput = STDOUT_FILENO);

// The combine run for a caller whose PDF is its own work file: the update
// is appended to the file at pdfPath itself, which spares copying the
// whole PDF. The file then holds exactly what combine mode would have
// written to its output. Statuses and messages are those of combine mode;
// ticketAdded says whether the ticket went in. When it did not, the file
// is unchanged unless the status is a failure.
MergeResult appendQFJT(const std::string& pdfPath, const std::string& ticketPath, bool& ticketAdded);
