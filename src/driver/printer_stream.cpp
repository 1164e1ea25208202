#include "printer_stream.h"

#include <unistd.h>

#include <cerrno>

#include "cleanup_on_signal.h"
#include "file_io.h"
#include "messages.h"

namespace {

void writeText(FILE* stream, std::string_view text) {
  fwrite(text.data(), 1, text.size(), stream);
}

// True when standard output took everything written to it so far.
bool printerStreamIsGood() { return fflush(stdout) == 0 && !ferror(stdout); }

int reportFailure(const std::string& what, int error) {
  reportLine("ERROR: " + what + ": " + errorText(error) + "\n");
  return 1;
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

int sendJob(pjlCommands& pjl, const JobToSend& job) {
  constexpr const char* kPrinterFailure = "Unable to send the job to the printer";
  FILE* dump = job.jobDump;
  const bool logToDisk = dump != nullptr;

  writeBanner(stdout);
  if (dump) {
    writeBanner(dump);
    writeText(dump, "@PJL COMMENT: Print job starts here\n");
  }
  pjl.createPJLCommandsBuffer();
  pjl.setPJLJob();
  pjl.setCommonPJLCommands();
  if (job.printerCopies) pjl.setQuantity();
  pjl.sendPJLLinesToPrinter(logToDisk, dump);
  if (!printerStreamIsGood()) return reportFailure(kPrinterFailure, errno);
  cleanupSetPrinterJobOpen(true);

  CopyResult copy = copyStream(job.pdfFd, STDOUT_FILENO, dump);
  if (!copy.ok && copy.readFailed) return reportFailure("Unable to read the job's PDF", copy.error);
  if (!copy.ok) return reportFailure(kPrinterFailure, copy.error);

  pjl.setPJLEndOfJob(logToDisk, dump);
  pjl.resetPJLCommandsBuffer();
  if (dump) writeText(dump, "@PJL COMMENT : PDF data has been transferred to stdout.\n");
  if (job.withTrailer) {
    writeTrailerBlock(stdout);
    if (dump) writeTrailerBlock(dump);
  } else if (dump) {
    writeText(dump, "@PJL COMMENT : USB ERROR\n");
  }
  if (!printerStreamIsGood()) return reportFailure(kPrinterFailure, errno);
  cleanupSetPrinterJobOpen(false);
  return 0;
}
