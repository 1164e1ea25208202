#include "filter_run.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "cleanup_on_signal.h"
#include "cups_library.h"
#include "diagnostic_log.h"
#include "job_pipeline.h"
#include "child_filter.h"
#include "job_spool.h"
#include "messages.h"
#include "page_count.h"
#include "queue_job.h"
#include "standard_streams.h"
#include "system_version.h"
#include "work_area.h"

namespace {

int reportUsage() {
  reportLine(std::string("ERROR: ") + kVersionId +
             " \n\tticketpress job-id user title copies options [file]\n");
  return 1;
}

// What the job tells CUPS: its lines on standard error, progress only
// under a queue, and the state of the printer job for a cancel.
JobEvents cupsEvents() {
  JobEvents events;
  events.message = [](const std::string& line) { reportLine(line); };
  events.progress = [](const std::string& line) { reportProgress(line.c_str()); };
  events.printerJobOpen = cleanupSetPrinterJobOpen;
  return events;
}

// Everything after the child's PDF is spooled: the rest of the job's
// options, then the pipeline into standard output.
int processJob(int argc, char* argv[], WorkArea& area, bool logToDisk, JobOptions& jobOptions,
               const JobEvents& events) {
  DiagnosticLog log;
  if (logToDisk) log.open(area, argc, argv, events);

  const std::optional<int64_t> pages =
      std::getenv("PPD") ? countPagesInFile(area.spoolPath()) : std::nullopt;
  completeFromQueue(jobOptions, argv, pages);
  const std::shared_ptr<argumentStore>& options = jobOptions.options;

  const char* uriValue = std::getenv("DEVICE_URI");
  PrintJob job;
  job.pdfPath = area.spoolPath();
  job.options = options;
  job.user = argv[2];
  job.copies = argv[4];
  job.deviceUri = uriValue ? uriValue : "";
  job.usbTrailerAllowed = usbTrailerAllowed(querySystemVersion());
  job.log = logToDisk ? &log : nullptr;

  PrinterSink standardOutput(STDOUT_FILENO);
  JobOutcome outcome = printJob(job, area, standardOutput, events);
  if (outcome.status != 0) {
    reportLine("ERROR: " + outcome.error + "\n");
    return outcome.status;
  }
  reportPrintedPages(*options, argv[4], pages);
  return 0;
}

}  // namespace

int runFilter(int argc, char* argv[]) {
  // Without standard output there is no printer to send the job to.
  const std::string closed = holdStandardDescriptors();
  if (!closed.empty()) {
    reportLine("ERROR: Unable to print the job: no " + closed + ".\n");
    return 1;
  }
  if (argc != 6 && argc != 7) return reportUsage();

  // Write failures (printer gone, disk full) must come back as errors
  // rather than end the process silently.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  installCleanupHandlers();

  const std::string fixedFolder = fixedNameFolder();
  const bool logToDisk = logSwitchPresent(fixedFolder);
  if (logToDisk) reportLine("INFO: Logging enabled by " + fixedFolder + "/qrl_log file.\n");

  std::string error;
  std::unique_ptr<WorkArea> area = WorkArea::create(logToDisk, fixedFolder, error);
  if (!area) {
    reportLine("ERROR: " + error + "\n");
    return 1;
  }

  reportProgress("INFO: Converting the job to PDF\n");
  const JobEvents events = cupsEvents();
  std::unique_ptr<SpoolingChild> child = SpoolingChild::start(getArgs(argc, argv), *area, events);
  if (!child) return 1;
  // A cancel stops the child; once it has ended there is nothing to stop.
  cleanupSetChild(child->pid());
  // While the child works: the options, the queue's defaults, and libcups
  // that they need, loaded on another core than the child's.
  JobOptions jobOptions = readJobOptions(argv[5]);
  if (!jobOptions.options) {
    reportLine("ERROR: Unable to read the job's options: " + cupsLibraryError() + "\n");
    return 1;
  }
  if (jobOptions.refusal) {
    reportLine("ERROR: " + *jobOptions.refusal + "\n");
    return 1;
  }
  off_t childPdfSize = 0;
  const bool spooled = child->finish(childPdfSize);
  cleanupSetChild(0);
  if (!spooled) return 1;
  if (childPdfSize == 0) {
    reportLine("ERROR: Data to print not found.\n");
    return 1;
  }
  return processJob(argc, argv, *area, logToDisk, jobOptions, events);
}
