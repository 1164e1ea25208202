#include "job_pipeline.h"

#include <unistd.h>

#include <cerrno>

#include "file_io.h"
#include "form_job_ticket.h"
#include "option_keys.h"
#include "pjl_commands.h"
#include "printer_stream.h"
#include "ticket_steps.h"

namespace {

// The ticket into the PDF: the merge's result, or how the job ended.
JobOutcome addTicket(const PrintJob& job, WorkArea& area, const formJobTicket& ticket,
                     const JobEvents& events, MergeResult& merge) {
  const bool ticketComplete = writeTicketFile(area, ticket, events);
  if (job.log) {
    JobOutcome written = writeLoggedWorkFiles(area, job.pdfPath, events);
    if (written.status != 0) return written;
  }
  // A partial ticket is never embedded: the job then goes without it.
  if (!ticketComplete) return {};
  events.reached("INFO: Adding the print settings to the job\n");
  merge = mergeTicketIntoPdf(area, job.pdfPath, job.log != nullptr);
  if (merge.status != kMergeOk) return mergeFailed(merge, events);
  if (!merge.message.empty()) events.tell(merge.message);
  return {};
}

}  // namespace

int copyModeFor(const argumentStore& options) {
  const std::string* printTo = options.getValue(kPrintToKey);
  return (printTo && *printTo == kPrintDirectly) ? 0 : 1;
}

JobOutcome printJob(const PrintJob& job, WorkArea& area, PrinterSink& sink, const JobEvents& events) {
  const argumentStore& options = *job.options;
  const int newCopies = copyModeFor(options);
  std::unique_ptr<formJobTicket> ticket = formJobTicket::initWithTicket(job.options, newCopies);

  MergeResult merge;
  if (JobOutcome added = addTicket(job, area, *ticket, events, merge); added.status != 0)
    return added;
  PdfToSend pdf = openPdfToSend(area, job.pdfPath, merge, job.log != nullptr, events);
  if (pdf.fd < 0) return {1, "Unable to open file " + job.pdfPath};
  if (job.log) job.log->writeOptionDump(options, job.deviceUri, kVersionId);
  area.removeWorkFiles();

  // The PJL builder's own error lines go to the job's log.
  PrinterSink::Writer toLog = [&events](std::string_view line) {
    events.tell(std::string(line));
    return 0;
  };
  std::unique_ptr<FILE, int (*)(FILE*)> errors(openWriterStream(&toLog), fclose);
  if (!errors || !sink.stream()) {
    close(pdf.fd);
    return {1, "Unable to send the job to the printer: " + errorText(errno)};
  }
  pjlCommands pjl(job.options, job.user, job.copies, sink.stream(), errors.get());

  events.reached("INFO: Sending the job to the printer\n");
  JobToSend send;
  send.pdf = std::move(pdf);
  send.printerCopies = newCopies == 1;
  send.withTrailer = wantsTrailerBlock(job.deviceUri, job.usbTrailerAllowed);
  send.jobDump = job.log ? job.log->jobDump() : nullptr;
  std::string why = sendJob(pjl, send, sink, events);
  close(send.pdf.fd);
  if (!why.empty()) return {1, why};
  return {};
}
