// The diagnostic log of a run, on while the log switch exists: the job dump
// (the printer stream with a few comment lines) and the argument dump (the
// command line, the decoded options and the device URI), both at fixed
// names in the fixed folder.
#pragma once

#include <cstdio>
#include <string>

#include "argument_store.h"
#include "job_events.h"
#include "work_area.h"

class DiagnosticLog {
 public:
  DiagnosticLog() = default;
  ~DiagnosticLog();
  DiagnosticLog(const DiagnosticLog&) = delete;
  DiagnosticLog& operator=(const DiagnosticLog&) = delete;

  // Creates both dumps empty and writes one ARGV line per argument. A dump
  // that cannot be created is reported once and left out.
  void open(WorkArea& area, int argc, char* argv[], const JobEvents& events);

  // The job dump, or null when there is none.
  FILE* jobDump() const { return jobDumpFile; }

  // Appends the options and the device URI to the argument dump and closes it.
  void writeOptionDump(const argumentStore& options, const std::string& deviceUri,
                       const char* versionId);

 private:
  FILE* argumentDump = nullptr;
  FILE* jobDumpFile = nullptr;
};
