#include "merge_fault.h"

#include <string>

// Status 9 with "what" and the byte offset.
bool malformed(MergeResult& result, std::string_view what, size_t offset) {
  result.status = kMergeMalformed;
  result.message = "\nError: Malformed PDF: ";
  result.message += what;
  result.message += " at byte " + std::to_string(offset) + ".\n";
  return false;
}

// Any status and message.
bool failWith(MergeResult& result, int status, std::string message) {
  result.status = status;
  result.message = std::move(message);
  return false;
}
