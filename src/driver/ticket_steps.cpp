#include "ticket_steps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_io.h"
#include "messages.h"

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
MergeResult mergeTicketIntoPdf(WorkArea& area, bool inPlace, bool& ticketAdded) {
  int previous = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (chdir(area.pathFor("").c_str()) != 0) {
    if (previous >= 0) close(previous);
    return {kMergeInputOpen, "ERROR: Unable to enter the work folder " + area.pathFor("") + "\n"};
  }
  MergeResult result;
  if (inPlace) {
    result = appendQFJT("qrl_pdf", "qrl_qfjt", ticketAdded);
  } else {
    result = insertQFJT(4, {"", "qrl_pdf", "qrl_tempPDF", "qrl_qfjt"});
    ticketAdded = false;
  }
  if (previous >= 0) {
    if (fchdir(previous) != 0) chdir("/");
    close(previous);
  }
  return result;
}

// Opens the PDF to send: the merged PDF when the merge left one, else the
// child's PDF with the message that the job goes without its settings.
int openPdfToSend(const WorkArea& area, bool mergedInPlace, bool ticketAdded) {
  if (mergedInPlace) {
    if (!ticketAdded) reportLine("ERROR: Unable to add settings to print job.\n");
    return open(area.spoolPath().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  }
  int merged = open(area.mergedPath().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  struct stat info;
  if (merged >= 0 && fstat(merged, &info) == 0 && info.st_size > 0) return merged;
  if (merged >= 0) close(merged);
  reportLine("ERROR: Unable to add settings to print job.\n");
  return open(area.spoolPath().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
}

