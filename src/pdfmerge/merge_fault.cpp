#include "merge_fault.h"

// Status 9 with "what" and the byte offset.
bool malformed(MergeResult& result, std::string_view what, size_t offset) {
  result.status = kMergeMalformed;
  result.offset = offset;
  result.message = "\nError: Malformed PDF: ";
  result.message += what;
  result.message += " at byte " + std::to_string(offset) + ".\n";
  return false;
}

// Any status and message.
bool failWith(MergeResult& result, MergeStatus status, std::string message) {
  result.status = status;
  result.message = std::move(message);
  return false;
}

// Strips what the merge puts around its text for standard error.
std::string mergeFailureReason(const MergeResult& result) {
  std::string_view text = result.message;
  while (!text.empty() && text.front() == '\n') text.remove_prefix(1);
  while (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  for (std::string_view prefix : {"ERROR : ", "Error: "})
    if (text.starts_with(prefix)) text.remove_prefix(prefix.size());
  return std::string(text);
}

// The result alone, for a caller that returns it at once.
MergeResult mergeResult(MergeStatus status, std::string message) {
  MergeResult result;
  failWith(result, status, std::move(message));
  return result;
}
