#include "insertqfjt_command.h"

#include <optional>

#include "merge_fault.h"

namespace {

// Paths are held in 100-byte fields by the programs that call the tool.
constexpr size_t kMaxPathLength = 99;

// The three usage lines.
MergeResult usage(const std::string& program) {
  return mergeResult(kMergeUsage,
          "\nUSAGE : " + program +
              " <infile> <outfile> <insertfile>   -- combine infile and insertfile into outfile" +
              "\n        " + program +
              " <infile> <outfile>                -- extract job ticket into outfile" +
              "\n        " + program +
              " <infile>                          -- extract job ticket to stdout\n\n");
}

// The failure for a path that does not fit its field, or nothing.
std::optional<MergeResult> tooLong(const std::string& path, MergeStatus status, const char* role) {
  if (path.size() <= kMaxPathLength) return std::nullopt;
  return mergeResult(status, "\nERROR : " + std::string(role) + " file path longer than 99 bytes: " + path + "\n");
}

}  // namespace

// Checks the count and the paths in the order the files are opened, then
// hands the request to the merge.
MergeResult insertQFJT(int argumentCount, const std::vector<std::string>& argumentValue,
                       int standardOutput) {
  std::string program = argumentValue.empty() ? std::string() : argumentValue[0];
  if (argumentCount < 2 || argumentCount > 4 || argumentValue.size() < static_cast<size_t>(argumentCount))
    return usage(program);
  const std::string& input = argumentValue[1];
  if (auto fault = tooLong(input, kMergeInputOpen, "Input")) return *fault;
  if (argumentCount == 2) return mergeTicket(MergeRequest::extractTo(input, standardOutput));
  const std::string& output = argumentValue[2];
  if (auto fault = tooLong(output, kMergeOutputOpen, "Output")) return *fault;
  if (argumentCount == 3) return mergeTicket(MergeRequest::extract(input, output));
  const std::string& ticket = argumentValue[3];
  if (auto fault = tooLong(ticket, kMergeTicketOpen, "QJTF")) return *fault;
  return mergeTicket(MergeRequest::combine(input, output, ticket));
}
