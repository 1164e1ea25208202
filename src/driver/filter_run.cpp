#include "filter_run.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "cleanup_on_signal.h"
#include "diagnostic_log.h"
#include "form_job_ticket.h"
#include "job_spool.h"
#include "messages.h"
#include "page_count.h"
#include "pjl_commands.h"
#include "printer_stream.h"
#include "queue_job.h"
#include "system_version.h"
#include "ticket_steps.h"
#include "work_area.h"

namespace {

constexpr const char* kVersionId = "$Revision: 1.16 $";

int reportUsage() {
  reportLine(std::string("ERROR: ") + kVersionId +
             " \n\tticketpress job-id user title copies options [file]\n");
  return 1;
}

// Everything after the child's PDF is spooled: options, PJL, ticket, merge
// and the printer stream.
int processJob(int argc, char* argv[], WorkArea& area, bool logToDisk) {
  const bool usbIsOk = usbTrailerAllowed(querySystemVersion());
  const char* uriValue = std::getenv("DEVICE_URI");
  const std::string deviceUri = uriValue ? uriValue : "";

  DiagnosticLog log;
  if (logToDisk) log.open(area, argc, argv);

  const std::optional<int64_t> pages =
      std::getenv("PPD") ? countPagesInFile(area.spoolPath()) : std::nullopt;
  std::shared_ptr<argumentStore> options = argumentStore::initWithOptionString(argv[5]);
  completeFromQueue(*options, argv, pages);
  pjlCommands pjl(options, argv[2], argv[4]);
  const int newCopies = copyModeFor(*options);
  std::unique_ptr<formJobTicket> ticket = formJobTicket::initWithTicket(options, newCopies);
  const bool ticketComplete = writeTicketFile(area, *ticket);

  // With the log off the spooled PDF is a private file of this run, so the
  // ticket goes straight into it rather than into a copy; with the log on
  // the administrator keeps the child's PDF and the merged one apart.
  const bool mergeInPlace = area.pdfPath() == area.spoolPath();
  if (!mergeInPlace) {
    if (!writePdfWorkFile(area)) return 1;
    int mergedFd = area.createWorkFile(area.mergedPath());
    if (mergedFd < 0)
      reportLine("ERROR: Unable to open file " + area.mergedPath() + "\n");
    else
      close(mergedFd);
  }

  // A partial ticket is never embedded: the job then goes without it.
  bool ticketAdded = false;
  if (ticketComplete) {
    reportProgress("INFO: Adding the print settings to the job\n");
    MergeResult merge = mergeTicketIntoPdf(area, mergeInPlace, ticketAdded);
    if (!merge.message.empty()) reportLine(merge.message);
    if (merge.status != kMergeOk) return merge.status;
  }

  int pdfFd = openPdfToSend(area, mergeInPlace, ticketAdded);
  if (pdfFd < 0) {
    reportLine("ERROR: Unable to open file " + area.spoolPath() + "\n");
    return 1;
  }
  if (logToDisk) log.writeOptionDump(*options, deviceUri, kVersionId);
  area.removeWorkFiles();

  reportProgress("INFO: Sending the job to the printer\n");
  JobToSend job;
  job.pdfFd = pdfFd;
  job.printerCopies = newCopies == 1;
  job.withTrailer = wantsTrailerBlock(deviceUri, usbIsOk);
  job.jobDump = log.jobDump();
  int status = sendJob(pjl, job);
  close(pdfFd);
  if (status == 0) reportPrintedPages(*options, argv[4], pages);
  return status;
}

}  // namespace

int copyModeFor(const argumentStore& options) {
  const std::string* printTo = options.getValue("PrintTo");
  return (printTo && *printTo == "JRPrinter") ? 0 : 1;
}

int runFilter(int argc, char* argv[]) {
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
  off_t childPdfSize = 0;
  if (!spoolChildPdf(argc, argv, *area, childPdfSize)) return 1;
  if (childPdfSize == 0) {
    reportLine("ERROR: Data to print not found.\n");
    return 1;
  }
  return processJob(argc, argv, *area, logToDisk);
}
