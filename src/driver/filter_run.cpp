#include "filter_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "child_filter.h"
#include "cleanup_on_signal.h"
#include "client_job.h"
#include "diagnostic_log.h"
#include "file_io.h"
#include "form_job_ticket.h"
#include "insertqfjt.h"
#include "page_count.h"
#include "pjl_commands.h"
#include "printer_stream.h"
#include "queue_ppd.h"
#include "string_additions.h"
#include "system_version.h"
#include "work_area.h"

namespace {

constexpr const char* kVersionId = "$Revision: 1.16 $";

// Writes one message line for the spooler to standard error.
void reportLine(const std::string& line) {
  fputs(line.c_str(), stderr);
  fflush(stderr);
}

int reportUsage() {
  reportLine(std::string("ERROR: ") + kVersionId +
             " \n\tticketpress job-id user title copies options [file]\n");
  return 1;
}

// Waits for the child filter to end. A child that failed or was killed may
// have written only part of the job, which must not be printed.
bool waitForChild(const ChildFilter& child) {
  int status = 0;
  while (waitpid(child.pid, &status, 0) < 0) {
    if (errno != EINTR) return true;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  if (WIFSIGNALED(status))
    reportLine("ERROR: The PDF filter " + child.path + " was killed by signal " +
               std::to_string(WTERMSIG(status)) + "\n");
  else
    reportLine("ERROR: The PDF filter " + child.path + " failed with exit status " +
               std::to_string(WEXITSTATUS(status)) + "\n");
  return false;
}

// Runs the child filter and spools its whole output into the area's spool
// file. Returns false after reporting when the job cannot be had complete.
bool spoolChildPdf(int argc, char* argv[], WorkArea& area, off_t& size) {
  std::string error;
  std::optional<ChildFilter> child =
      startChildFilter(childFilterCandidates(), getArgs(argc, argv), error);
  if (!child) {
    reportLine("ERROR: " + error + "\n");
    return false;
  }
  cleanupSetChild(child->pid);

  bool ok = false;
  int spoolFd = area.createWorkFile(area.spoolPath());
  if (spoolFd < 0) {
    reportLine("ERROR: Unable to open file " + area.spoolPath() + "\n");
  } else {
    CopyResult copy = copyStream(child->output, spoolFd);
    if (!copy.ok && copy.readFailed)
      reportLine("ERROR: Unable to read the output of " + child->path + ": " +
                 errorText(copy.error) + "\n");
    else if (!copy.ok)
      reportLine("ERROR: Unable to write file " + area.spoolPath() + ": " +
                 errorText(copy.error) + "\n");
    size = copy.bytes;
    ok = copy.ok;
    if (close(spoolFd) != 0 && ok) {
      reportLine("ERROR: Unable to write file " + area.spoolPath() + ": " + errorText(errno) +
                 "\n");
      ok = false;
    }
  }
  close(child->output);
  if (ok) {
    ok = waitForChild(*child);
  } else {
    // A child still writing when the job is given up must not go on.
    kill(child->pid, SIGTERM);
    waitpid(child->pid, nullptr, 0);
  }
  cleanupSetChild(0);
  return ok;
}

// Creates the ticket work file and writes the ticket into it. Returns false
// when the file holds less than the whole ticket, which must not be embedded.
bool writeTicketFile(WorkArea& area, const formJobTicket& ticket) {
  int fd = area.createWorkFile(area.ticketPath());
  if (fd < 0) {
    reportLine("ERROR: Unable to open file " + area.ticketPath() + "\n");
    return false;
  }
  close(fd);
  if (ticket.writeQFJTtoFile(area.ticketPath()) == TicketWriteStatus::written) return true;
  reportLine("ERROR: Unable to write file " + area.ticketPath() + "\n");
  return false;
}

// With the log on, the administrator's copy of the child's PDF at its fixed
// name. A copy that cannot be completed ends the job: nothing built from a
// truncated PDF may reach the printer.
bool writePdfWorkFile(WorkArea& area) {
  int pdfFd = area.createWorkFile(area.pdfPath());
  if (pdfFd < 0) {
    reportLine("ERROR: Unable to open file " + area.pdfPath() + "\n");
    return true;
  }
  int spoolFd = open(area.spoolPath().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  CopyResult copy = spoolFd < 0 ? CopyResult{false, 0, true, errno} : copyStream(spoolFd, pdfFd);
  if (spoolFd >= 0) close(spoolFd);
  if (close(pdfFd) != 0 && copy.ok) copy = {false, copy.bytes, false, errno};
  if (!copy.ok)
    reportLine("ERROR: Unable to write file " + area.pdfPath() + ": " + errorText(copy.error) +
               "\n");
  return copy.ok;
}

// Runs the merge on the work files, from inside their folder: the merge
// takes paths of at most 99 bytes, and the names alone always fit.
MergeResult mergeTicketIntoPdf(WorkArea& area) {
  int previous = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (chdir(area.pathFor("").c_str()) != 0) {
    if (previous >= 0) close(previous);
    return {kMergeInputOpen, "ERROR: Unable to enter the work folder " + area.pathFor("") + "\n"};
  }
  MergeResult result = insertQFJT(4, {"", "qrl_pdf", "qrl_tempPDF", "qrl_qfjt"});
  if (previous >= 0) {
    if (fchdir(previous) != 0) chdir("/");
    close(previous);
  }
  return result;
}

// Opens the PDF to send: the merged PDF when the merge left one, else the
// child's PDF with the message that the job goes without its settings.
int openPdfToSend(const WorkArea& area) {
  int merged = open(area.mergedPath().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  struct stat info;
  if (merged >= 0 && fstat(merged, &info) == 0 && info.st_size > 0) return merged;
  if (merged >= 0) close(merged);
  reportLine("ERROR: Unable to add settings to print job.\n");
  return open(area.spoolPath().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
}

// Under a CUPS queue, a job from a client other than macOS gets the
// administrator's defaults for what it does not say, and the settings that
// its standard options imply. A macOS client sends every choice of the
// queue's PPD itself, so its jobs stay exactly as they come.
void completeFromQueue(argumentStore& options, char* argv[], std::optional<int64_t> pages) {
  if (hasMacPrintSettings(options)) return;
  std::unique_ptr<QueuePpd> queue = QueuePpd::open(std::getenv("PPD"));
  if (!queue) return;
  queue->applyDefaults(options);
  deriveMacPrintSettings(options, ClientJob{argv[3], argv[4], pages}, *queue);
}

// Under a CUPS queue, a line for lpstat saying where the job is.
void reportProgress(const char* line) {
  if (std::getenv("PPD")) reportLine(line);
}

// Under a CUPS queue, the page accounting of a job that was sent: its pages
// times its copies.
void reportPrintedPages(const argumentStore& options, const char* copiesArgument,
                        std::optional<int64_t> pages) {
  if (!pages || !std::getenv("PPD")) return;
  const std::string* copies = options.getValue("com.apple.print.PrintSettings.PMCopies..n.");
  const int64_t impressions = *pages * std::max<int32_t>(1, intValue(copies ? *copies : copiesArgument));
  reportLine("PAGE: total " + std::to_string(impressions) + "\n");
  reportLine("ATTR: job-impressions=" + std::to_string(impressions) + "\n");
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

  if (area.pdfPath() != area.spoolPath() && !writePdfWorkFile(area)) return 1;
  int mergedFd = area.createWorkFile(area.mergedPath());
  if (mergedFd < 0)
    reportLine("ERROR: Unable to open file " + area.mergedPath() + "\n");
  else
    close(mergedFd);

  // A partial ticket is never embedded: the job then goes without it.
  if (ticketComplete) {
    reportProgress("INFO: Adding the print settings to the job\n");
    MergeResult merge = mergeTicketIntoPdf(area);
    if (!merge.message.empty()) reportLine(merge.message);
    if (merge.status != kMergeOk) return merge.status;
  }

  int pdfFd = openPdfToSend(area);
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
