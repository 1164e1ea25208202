#include "pdf_job.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "child_filter.h"
#include "job_claim.h"
#include "job_delivery.h"
#include "job_order.h"
#include "job_options.h"
#include "job_pins.h"
#include "job_pipeline.h"
#include "job_spool.h"
#include "page_count.h"
#include "printer_defaults.h"
#include "printer_socket.h"
#include "printer_stream.h"
#include "work_area.h"

namespace {

// What ends a printer job cut short: leave the PDF interpreter, end the
// PJL job, and hand the printer back.
constexpr std::string_view kPrinterJobEnd = "\x1B%-12345X@PJL EOJ\n\x1B%-12345X";

// The job's log gets the pipeline's lines, without their line end and with
// their level.
JobEvents eventsFor(pappl_job_t* job, bool& printerJobOpen) {
  JobEvents events;
  events.message = [job](const std::string& line) {
    std::string_view text = line;
    while (text.starts_with('\n')) text.remove_prefix(1);
    while (text.ends_with('\n')) text.remove_suffix(1);
    const bool error = text.starts_with("ERROR") || text.starts_with("Error");
    // PAPPL's log formatting takes no precision, so the text is copied.
    papplLogJob(job, error ? PAPPL_LOGLEVEL_ERROR : PAPPL_LOGLEVEL_INFO, "%s", std::string(text).c_str());
  };
  events.progress = events.message;
  events.printerJobOpen = [&printerJobOpen](bool open) { printerJobOpen = open; };
  return events;
}

// A job attribute the client sent, else one its document implies, else a
// printer default that an administrator changed.
SentAttribute sentBy(pappl_job_t* job, ipp_t* implied, const PrinterDefaults& defaults) {
  return [job, implied, &defaults](const char* name) {
    if (ipp_attribute_t* sent = papplJobGetAttribute(job, name)) return sent;
    if (ipp_attribute_t* fromDocument = implied ? ippFindAttribute(implied, name, IPP_TAG_ZERO) : nullptr)
      return fromDocument;
    return defaults.changed(name);
  };
}

// A family setting's value: the job's own, else the printer's default.
SettingValue settingsOf(pappl_job_t* job, const PrinterDefaults& defaults) {
  return [job, &defaults](std::string_view attribute) -> std::optional<std::string> {
    if (ipp_attribute_t* own = papplJobGetAttribute(job, std::string(attribute).c_str())) {
      const char* text = ippGetString(own, 0, nullptr);
      return text ? std::optional<std::string>(text) : std::nullopt;
    }
    return defaults.setting(attribute);
  };
}

// The PDF to print: PAPPL's own spool file, or, for a page range, a
// scaling or an orientation, what the PDF-to-PDF filter makes of it, in the
// work area.
bool pdfToPrint(pappl_job_t* job, const SentAttribute& sent, WorkArea& area, const JobEvents& events,
                std::string& path) {
  path = papplJobGetFilename(job);
  const std::string filterOptions = pdfFilterOptions(sent);
  if (filterOptions.empty()) return true;
  const char* name = papplJobGetName(job);
  const std::vector<std::string> args = {std::to_string(papplJobGetID(job)),
                                         papplJobGetUsername(job), name ? name : "", "1",
                                         filterOptions, path};
  std::unique_ptr<SpoolingChild> child = SpoolingChild::start(args, area, events);
  off_t size = 0;
  if (!child || !child->finish(size)) return false;
  if (size == 0) {
    events.tell("ERROR: Data to print not found.\n");
    return false;
  }
  path = area.spoolPath();
  return true;
}

// The job's bytes into the printer's device. PAPPL buffers what is written
// and keeps the device open for the next job, so only what it has written
// when the job ends has reached the printer.
class DeviceOutput {
 public:
  explicit DeviceOutput(pappl_device_t* device) : device(device) {
    papplDeviceFlush(device);
    papplDeviceGetMetrics(device, &before);
  }

  // False when the device refused the bytes.
  bool write(std::string_view bytes) {
    if (papplDeviceWrite(device, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      failed = true;
      return false;
    }
    taken += bytes.size();
    return true;
  }

  // Sends what the device holds; false when the printer has not had every
  // byte the job wrote.
  bool finish() {
    papplDeviceFlush(device);
    pappl_devmetrics_t after;
    papplDeviceGetMetrics(device, &after);
    if (after.write_bytes - before.write_bytes < taken) failed = true;
    return !failed;
  }

  bool hasFailed() const { return failed; }

 private:
  pappl_device_t* device;
  pappl_devmetrics_t before{};
  size_t taken = 0;
  bool failed = false;
};

// Sends print to a socket printer, waiting for it and sending again as
// long as it takes; a printer job cut short by the job's own failure is
// closed at the printer.
bool printToSocket(pappl_job_t* job, PrinterSocket& socket, const PrintJob& print, WorkArea& area,
                   const JobEvents& events, bool& printerJobOpen) {
  const SendWholeJob send = [&](PrinterSink& sink, std::string& error) {
    if (papplJobIsCanceled(job)) return ECANCELED;
    JobOutcome outcome = printJob(print, area, sink, events);
    if (outcome.status != 0 && printerJobOpen && sink.error() == 0) sink.write(kPrinterJobEnd);
    error = outcome.error;
    return outcome.status;
  };
  std::string error;
  switch (deliverToSocket(job, socket, send, error)) {
    case JobEnd::printed:
      return true;
    case JobEnd::failed:
      return failJob(job, error);
    case JobEnd::canceled:
      break;
  }
  return false;
}

}  // namespace

int copiesOf(pappl_job_t* job) {
  ipp_attribute_t* copies = papplJobGetAttribute(job, "copies");
  return copies ? std::max(1, ippGetInteger(copies, 0)) : 1;
}

bool failJob(pappl_job_t* job, const std::string& why) {
  papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", why.c_str());
  papplJobSetMessage(job, "%s", why.c_str());
  return false;
}

bool printDocumentPdf(pappl_job_t* job, pappl_device_t* device, WorkArea& area, const DocumentPdf& document) {
  pappl_printer_t* printer = papplJobGetPrinter(job);
  bool printerJobOpen = false;
  const JobEvents events = eventsFor(job, printerJobOpen);
  const PrinterDefaults defaults(printer);
  const SentAttribute sent = sentBy(job, document.impliedAttributes, defaults);

  // A job sent with a PIN prints held under it, or not at all.
  const std::optional<JobPin> pin = jobPins().find(papplPrinterGetID(printer), papplJobGetID(job));
  if (!pin && papplJobGetAttribute(job, std::string(kPinMarkAttribute).c_str()))
    return failJob(job, "The job was sent with a PIN (job-password) that was not kept; it was not printed, "
                        "as it must not print without its hold");
  const char* name = papplJobGetName(job);
  const ClientJob client{name ? name : "", std::to_string(copiesOf(job)), document.pageCount};
  JobOptions jobOptions = optionsForJob(sent, settingsOf(job, defaults), client, pin ? &*pin : nullptr);
  if (!jobOptions.options) return failJob(job, "Unable to read the job's options");
  if (jobOptions.refusal) return failJob(job, *jobOptions.refusal);

  PrintJob print;
  print.pdfPath = document.path;
  print.options = jobOptions.options;
  print.user = papplJobGetUsername(job);
  print.copies = client.copies;
  const char* uri = papplPrinterGetDeviceURI(printer);
  print.deviceUri = uri ? uri : "";

  const PrinterTurn turn(job);
  if (PrinterSocket* socket = printerSocketOf(device)) return printToSocket(job, *socket, print, area, events, printerJobOpen);
  DeviceOutput output(device);
  PrinterSink sink([job, &output](std::string_view bytes) {
    if (papplJobIsCanceled(job)) return ECANCELED;
    return output.write(bytes) ? 0 : EIO;
  });
  JobOutcome outcome = printJob(print, area, sink, events);
  // A printer job cut short is closed at the printer, so that it does not
  // wait for the rest.
  if (outcome.status != 0 && printerJobOpen && !output.hasFailed()) output.write(kPrinterJobEnd);
  if (!output.finish()) {
    papplPrinterSetReasons(printer, PAPPL_PREASON_OFFLINE, PAPPL_PREASON_NONE);
    return failJob(job, outcome.status != 0 ? outcome.error
                                            : "Unable to send the job to the printer: " + std::string(std::strerror(EIO)));
  }
  papplPrinterSetReasons(printer, PAPPL_PREASON_NONE, PAPPL_PREASON_OFFLINE);
  if (outcome.status != 0) return failJob(job, outcome.error);
  return true;
}

namespace {

// A PDF job, once this thread has claimed it.
bool printClaimedPdfJob(pappl_job_t* job, pappl_device_t* device) {
  std::string error;
  std::unique_ptr<WorkArea> area = WorkArea::create(false, fixedNameFolder(), error);
  if (!area) return failJob(job, error);
  bool printerJobOpen = false;
  const PrinterDefaults defaults(papplJobGetPrinter(job));
  std::string pdfPath;
  if (!pdfToPrint(job, sentBy(job, nullptr, defaults), *area, eventsFor(job, printerJobOpen), pdfPath))
    return failJob(job, "The PDF filter could not make the job's pages");

  const DocumentPdf document{pdfPath, countPagesInFile(pdfPath), nullptr};
  // PAPPL counts a PDF job as one impression, and adds that one when the
  // callback succeeds.
  const int64_t sides = document.pageCount ? *document.pageCount * copiesOf(job) : 1;
  const int impressions = static_cast<int>(std::clamp<int64_t>(sides, 1, INT_MAX));
  papplJobSetImpressions(job, impressions);
  if (!printDocumentPdf(job, device, *area, document)) return false;
  papplJobSetImpressionsCompleted(job, impressions - 1);
  return true;
}

}  // namespace

bool printPdfJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t* device) {
  claimJobOrLeave(job);
  releaseOrderHolds(papplJobGetPrinter(job));
  const bool printed = !canceledWhileStarting(job) && printClaimedPdfJob(job, device);
  releaseJob(job);
  leaveOnlyOldestWaiting(papplJobGetPrinter(job));
  return printed;
}
