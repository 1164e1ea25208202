#include "printer_stream.h"

#include "file_io.h"

namespace {

constexpr const char* kPrinterFailure = "Unable to send the job to the printer";

void writeText(FILE* stream, std::string_view text) {
  fwrite(text.data(), 1, text.size(), stream);
}

// True when the sink took everything written to its stream so far.
bool printerStreamIsGood(FILE* printer, const PrinterSink& sink) {
  return fflush(printer) == 0 && !ferror(printer) && sink.error() == 0;
}

// Why the stream stopped, for the job's one error line.
std::string failure(const std::string& what, int error) { return what + ": " + errorText(error); }

// The PDF's bytes: the file's part, then the tail.
std::string sendPdf(const PdfToSend& pdf, PrinterSink& sink, FILE* dump) {
  CopyResult copy = sink.sendFile(pdf.fd, pdf.bytes, dump);
  if (!copy.ok && copy.readFailed) return failure("Unable to read the job's PDF", copy.error);
  if (!copy.ok || !sink.write(pdf.tail)) return failure(kPrinterFailure, sink.error());
  if (dump) writeText(dump, pdf.tail);
  return "";
}

}  // namespace

void writeBanner(FILE* printer) {
  writeText(printer, kUel);
  writeText(printer, "@PJL COMMENT Quorlan PDF PrintPath Filter\n");
}

bool wantsTrailerBlock(std::string_view deviceUri, bool usbIsOk) {
  return !deviceUri.starts_with("usb:") || usbIsOk;
}

void writeTrailerBlock(FILE* printer) {
  writeText(printer, kUel);
  writeText(printer, kUel);
  writeText(printer, "@PJL JOB\n");
  writeText(printer, "@PJL QPORTROTATE\n");
  writeText(printer, "@PJL EOJ\n");
  writeText(printer, kUel);
}

std::string sendJob(pjlCommands& pjl, const JobToSend& job, PrinterSink& sink,
                    const JobEvents& events) {
  FILE* printer = sink.stream();
  FILE* dump = job.jobDump;
  const bool logToDisk = dump != nullptr;

  writeBanner(printer);
  if (dump) {
    writeBanner(dump);
    writeText(dump, "@PJL COMMENT: Print job starts here\n");
  }
  pjl.createPJLCommandsBuffer();
  pjl.setPJLJob();
  pjl.setCommonPJLCommands();
  if (job.printerCopies) pjl.setQuantity();
  pjl.sendPJLLinesToPrinter(logToDisk, dump);
  if (!printerStreamIsGood(printer, sink)) return failure(kPrinterFailure, sink.error());
  events.printerJob(true);

  if (std::string why = sendPdf(job.pdf, sink, dump); !why.empty()) return why;

  pjl.setPJLEndOfJob(logToDisk, dump);
  pjl.resetPJLCommandsBuffer();
  if (dump) writeText(dump, "@PJL COMMENT : PDF data has been transferred to stdout.\n");
  if (job.withTrailer) {
    writeTrailerBlock(printer);
    if (dump) writeTrailerBlock(dump);
  } else if (dump) {
    writeText(dump, "@PJL COMMENT : USB ERROR\n");
  }
  if (!printerStreamIsGood(printer, sink)) return failure(kPrinterFailure, sink.error());
  events.printerJob(false);
  return "";
}
