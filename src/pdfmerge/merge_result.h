// What a run of the ticket merge comes to: a status, the exact message
// text for the user, and for malformed input the byte where reading
// stopped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The statuses, which the insertqfjt program also uses as exit statuses.
enum MergeStatus : int {
  kMergeOk = 0,
  kMergeUsage = 1,             // the request or command line is not one the merge takes
  kMergeInputOpen = 2,         // the input cannot be opened, or is a folder
  kMergeTicketOpen = 3,        // the ticket file cannot be opened
  kMergeOutputOpen = 4,        // the output cannot be opened or written, or is the input
  kMergeNoMemory = 5,          // out of memory while reading the cross-reference data
  kMergeNoRootInTrailer = 6,   // no trailer names the catalog (/Root)
  kMergeNoRootInXref = 7,      // the catalog has no usable cross-reference entry
  kMergeBadRoot = 8,           // the catalog is not a dictionary
  kMergeMalformed = 9,         // data that cannot be read within the file
  kMergeNoTicket = 10,         // extract: the PDF holds no ticket
};

struct MergeResult {
  MergeStatus status = kMergeOk;
  // The exact bytes for standard error; empty when there is nothing to
  // say. A success may carry one: why no ticket was added.
  std::string message;
  // kMergeMalformed: the byte of the input where the fault was found.
  std::optional<size_t> offset;
  // Combine: the ticket went into the output.
  bool ticketAdded = false;
  // Combine with MergeOutput::update: the merged PDF is the input's first
  // keptInputBytes bytes followed by update.
  int64_t keptInputBytes = 0;
  std::string update;
};

// The message as one line for a job's log: its text without the leading
// line feed, the "ERROR : " or "Error: " prefix and the line end.
std::string mergeFailureReason(const MergeResult& result);
