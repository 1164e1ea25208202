// insertqfjt: the job ticket merge as a command-line tool.
#include <cstdio>
#include <string>
#include <vector>

#include "insertqfjt_command.h"

// Runs the merge on the command line, prints its message, exits with its status.
int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv, argv + argc);
  MergeResult result = insertQFJT(argc, arguments);
  if (!result.message.empty()) fwrite(result.message.data(), 1, result.message.size(), stderr);
  return result.status;
}
