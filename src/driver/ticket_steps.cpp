#include "ticket_steps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_io.h"

namespace {

// Opens path for reading, never through a symlink.
int openForReading(const std::string& path) {
  return open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
}

// The whole of the file at path, or fd -1.
PdfToSend wholeFile(const std::string& path) {
  PdfToSend pdf;
  pdf.fd = openForReading(path);
  struct stat info;
  if (pdf.fd >= 0 && fstat(pdf.fd, &info) == 0) {
    pdf.bytes = info.st_size;
  } else if (pdf.fd >= 0) {
    close(pdf.fd);
    pdf.fd = -1;
  }
  return pdf;
}

// Copies the job's PDF into the PDF work file, which is then complete or
// reported.
JobOutcome copyPdfWorkFile(WorkArea& area, const std::string& pdfPath, const JobEvents& events) {
  int workFd = area.createWorkFile(area.pdfPath());
  if (workFd < 0) {
    events.tell("ERROR: Unable to open file " + area.pdfPath() + "\n");
    return mergeFailed(mergeOpenFailure(kMergeInputOpen, area.pdfPath()), events);
  }
  PdfToSend job = wholeFile(pdfPath);
  CopyResult copy = job.fd < 0 ? CopyResult{false, 0, true, errno}
                               : copyFilePrefix(job.fd, job.bytes, workFd);
  if (job.fd >= 0) close(job.fd);
  if (close(workFd) != 0 && copy.ok) copy = {false, copy.bytes, false, errno};
  // A truncated copy must not be merged: the printer would get part of the job.
  if (!copy.ok) return {1, "Unable to write file " + area.pdfPath() + ": " + errorText(copy.error)};
  return {};
}

}  // namespace

bool writeTicketFile(WorkArea& area, const formJobTicket& ticket, const JobEvents& events) {
  int fd = area.createWorkFile(area.ticketPath());
  if (fd < 0) {
    events.tell("ERROR: Unable to open file " + area.ticketPath() + "\n");
    return false;
  }
  close(fd);
  if (ticket.writeQFJTtoFile(area.ticketPath()) == TicketWriteStatus::written) return true;
  events.tell("ERROR: Unable to write file " + area.ticketPath() + "\n");
  return false;
}

JobOutcome writeLoggedWorkFiles(WorkArea& area, const std::string& pdfPath, const JobEvents& events) {
  JobOutcome copied = copyPdfWorkFile(area, pdfPath, events);
  if (copied.status != 0) return copied;
  int mergedFd = area.createWorkFile(area.mergedPath());
  if (mergedFd < 0) {
    events.tell("ERROR: Unable to open file " + area.mergedPath() + "\n");
    return mergeFailed(mergeOpenFailure(kMergeOutputOpen, area.mergedPath()), events);
  }
  close(mergedFd);
  return {};
}

JobOutcome mergeFailed(const MergeResult& merge, const JobEvents& events) {
  events.tell(merge.message);
  return {merge.status, "Unable to print the job: " + mergeFailureReason(merge)};
}

MergeResult mergeTicketIntoPdf(const WorkArea& area, const std::string& pdfPath, bool logToDisk) {
  MergeRequest request =
      logToDisk ? MergeRequest::combine(area.pdfPath(), area.mergedPath(), area.ticketPath())
                : MergeRequest::updateOnly(pdfPath, area.ticketPath());
  // Messages name the job's PDF by its work file's name alone, the same
  // with the log on or off.
  request.inputName = area.pdfPath().substr(area.pdfPath().rfind('/') + 1);
  return mergeTicket(request);
}

PdfToSend openPdfToSend(const WorkArea& area, const std::string& pdfPath, const MergeResult& merge,
                        bool logToDisk, const JobEvents& events) {
  if (merge.ticketAdded && logToDisk) {
    PdfToSend merged = wholeFile(area.mergedPath());
    if (merged.fd >= 0 && merged.bytes > 0) return merged;
    if (merged.fd >= 0) close(merged.fd);
  }
  PdfToSend job = wholeFile(pdfPath);
  if (merge.ticketAdded && !logToDisk && job.fd >= 0) {
    job.bytes = merge.keptInputBytes;
    job.tail = merge.update;
    return job;
  }
  events.tell("ERROR: Unable to add settings to print job.\n");
  return job;
}
