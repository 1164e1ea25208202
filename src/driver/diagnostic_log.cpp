#include "diagnostic_log.h"

#include <unistd.h>


namespace {

constexpr const char* kRuleLine = "==========================================================\n";

// Creates the dump at name in the area's folder as a stdio stream, or
// reports it and returns null.
FILE* createDump(WorkArea& area, const std::string& name, const JobEvents& events) {
  const std::string path = area.pathFor(name);
  int fd = area.createWorkFile(path);
  FILE* dump = fd < 0 ? nullptr : fdopen(fd, "w");
  if (!dump) {
    if (fd >= 0) close(fd);
    events.tell("ERROR: Unable to open file " + path + "\n");
  }
  return dump;
}

}  // namespace

void DiagnosticLog::open(WorkArea& area, int argc, char* argv[], const JobEvents& events) {
  jobDumpFile = createDump(area, "qrl_pdf2", events);
  argumentDump = createDump(area, "qrl_args", events);
  if (!argumentDump) return;
  for (int i = 0; i < argc; ++i) {
    fprintf(argumentDump, "ARGV[%d] = %s\n\n", i, argv[i]);
    fflush(argumentDump);
  }
}

void DiagnosticLog::writeOptionDump(const argumentStore& options, const std::string& deviceUri,
                                    const char* versionId) {
  if (!argumentDump) return;
  fputs(kRuleLine, argumentDump);
  fprintf(argumentDump, "%s\n", versionId);
  fputs(kRuleLine, argumentDump);
  for (const std::string& name : options.keyEnumerator()) {
    fprintf(argumentDump, "%s\n\t%s\n\n", name.c_str(), options.getValue(name)->c_str());
    fflush(argumentDump);
  }
  fputs(kRuleLine, argumentDump);
  fprintf(argumentDump, "    URI for printer = %s\n", deviceUri.c_str());
  fputs(kRuleLine, argumentDump);
  fclose(argumentDump);
  argumentDump = nullptr;
}

DiagnosticLog::~DiagnosticLog() {
  if (argumentDump) fclose(argumentDump);
  if (jobDumpFile) fclose(jobDumpFile);
}
