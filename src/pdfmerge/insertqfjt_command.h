// The insertqfjt command line over the ticket merge, with its fixed usage
// text, path fields and statuses:
//   4 entries: infile outfile insertfile  combine infile and the ticket into outfile
//   3 entries: infile outfile             extract the ticket into outfile
//   2 entries: infile                     extract the ticket to standardOutput
// argumentValue[0] is the program name, used in the usage text. Besides the
// merge's own statuses: 1 for a wrong argument count, and 2, 3 or 4 for an
// input, ticket or output path longer than the 99 bytes its field holds.
#pragma once

#include <unistd.h>

#include <string>
#include <vector>

#include "ticket_merge.h"

// Runs the merge for the command line in argumentValue (argumentCount
// entries are used). Extracted ticket bytes of the two-entry form go to the
// descriptor standardOutput, which stays open. Never exits, never prints.
MergeResult insertQFJT(int argumentCount, const std::vector<std::string>& argumentValue,
                       int standardOutput = STDOUT_FILENO);
