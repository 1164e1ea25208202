// The job ticket merge: appends a form job ticket to a PDF as an incremental
// update, or takes an embedded ticket back out.
//
// The input's bytes are never changed: combine mode writes a copy followed
// by the update (the input's last five bytes become "%%%%\n", a comment
// line in place of its old end marker), or hands back the update alone so
// that the caller can send input and update without writing either.
#pragma once

#include <optional>
#include <string>

#include "merge_result.h"

enum class MergeMode {
  combine,  // the input with the ticket as an incremental update
  extract,  // the embedded ticket's bytes
};

enum class MergeOutput {
  file,        // outputPath, created or truncated
  descriptor,  // outputFd, which stays open (extract only)
  update,      // nothing is written: MergeResult holds the update (combine only)
};

struct MergeRequest {
  // Combine into the file at outputPath, with the ticket in ticketPath.
  static MergeRequest combine(std::string inputPath, std::string outputPath, std::string ticketPath);
  // Combine, handing back the update alone, with the ticket in ticketPath.
  static MergeRequest updateOnly(std::string inputPath, std::string ticketPath);
  // Extract into the file at outputPath.
  static MergeRequest extract(std::string inputPath, std::string outputPath);
  // Extract to the open descriptor fd.
  static MergeRequest extractTo(std::string inputPath, int fd);
  // This combine with the ticket's own bytes in place of its file.
  MergeRequest withTicketBytes(std::string bytes) &&;

  MergeMode mode = MergeMode::combine;
  std::string inputPath;
  // How messages name the input; inputPath when empty.
  std::string inputName;
  MergeOutput output = MergeOutput::file;
  std::string outputPath;
  int outputFd = -1;
  // Combine: the ticket's bytes, or else the file that holds them.
  std::optional<std::string> ticketBytes;
  std::string ticketPath;
};

// Runs one merge. Files are opened in the order input, output, ticket, so
// a combine whose ticket file is missing leaves an empty output behind,
// as does one whose input's cross-reference data cannot be read (a copy
// into a regular file is made on a second thread meanwhile, which ends
// before the call returns).
// Success with ticketAdded false and a message: the input is encrypted in
// a way that cannot carry a readable ticket; a file output is then left
// empty so that the caller sends the input as it is. Never exits, never
// prints.
MergeResult mergeTicket(const MergeRequest& request);

// The result of a merge that cannot open the file at path in the role that
// status names (kMergeInputOpen, kMergeTicketOpen or kMergeOutputOpen).
MergeResult mergeOpenFailure(MergeStatus status, const std::string& path);
