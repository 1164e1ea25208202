#include "insertqfjt.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <new>

#include "catalog.h"
#include "encryption.h"
#include "mapped_file.h"
#include "merge_fault.h"
#include "output_file.h"
#include "pdf_bytes.h"
#include "update_writer.h"
#include "xref_reader.h"

namespace {

// Paths are held in 100-byte fields by the programs that call the merge.
constexpr size_t kMaxPathLength = 99;

// The last bytes of the copied input become a comment line, so that the
// old end marker is gone.
constexpr std::string_view kEndOverwrite = "%%%%\n";

// Open descriptors of one run, closed when it ends.
struct RunFiles {
  int input = -1;
  int output = -1;
  int ticket = -1;
  ~RunFiles() {
    for (int fd : {output, input, ticket})
      if (fd >= 0) close(fd);
  }
};

// The three usage lines.
MergeResult usage(const std::string& program) {
  return {kMergeUsage,
          "\nUSAGE : " + program +
              " <infile> <outfile> <insertfile>   -- combine infile and insertfile into outfile" +
              "\n        " + program +
              " <infile> <outfile>                -- extract job ticket into outfile" +
              "\n        " + program +
              " <infile>                          -- extract job ticket to stdout\n\n"};
}

// Opens the input for reading, refusing a path that would not fit.
bool openInput(const std::string& path, RunFiles& files, MergeResult& fault) {
  if (path.size() > kMaxPathLength)
    return failWith(fault, kMergeInputOpen, "\nERROR : Input file path longer than 99 bytes: " + path + "\n");
  files.input = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (files.input < 0)
    return failWith(fault, kMergeInputOpen, "\nERROR : Unable to open input file: " + path + "\n");
  return true;
}

// Opens the ticket file, refusing a path that would not fit.
bool openTicket(const std::string& path, RunFiles& files, MergeResult& fault) {
  if (path.size() > kMaxPathLength)
    return failWith(fault, kMergeTicketOpen, "\nERROR : QJTF file path longer than 99 bytes: " + path + "\n");
  files.ticket = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (files.ticket < 0)
    return failWith(fault, kMergeTicketOpen, "\nERROR : Unable to open QJTF file: " + path + "\n");
  return true;
}

// Opens the input, the output and the ticket file, in that order.
bool openFiles(int argumentCount, const std::vector<std::string>& argumentValue, RunFiles& files,
               MergeResult& fault) {
  if (!openInput(argumentValue[1], files, fault)) return false;
  if (argumentCount >= 3) {
    const std::string& output = argumentValue[2];
    if (output.size() > kMaxPathLength)
      return failWith(fault, kMergeOutputOpen, "\nERROR : Output file path longer than 99 bytes: " + output + "\n");
    files.output = open(output.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (files.output < 0)
      return failWith(fault, kMergeOutputOpen, "\nERROR : Unable to open output file: " + output + "\n");
    struct stat in {}, out {};
    if (fstat(files.input, &in) == 0 && fstat(files.output, &out) == 0 && in.st_dev == out.st_dev &&
        in.st_ino == out.st_ino)
      return failWith(fault, kMergeOutputOpen, "\nERROR : Output file is the input file: " + output + "\n");
    // Truncating an empty file would change nothing, yet ext4 then writes
    // the whole new contents back when the file is closed.
    if (S_ISREG(out.st_mode) && out.st_size > 0 && ftruncate(files.output, 0) != 0)
      return failWith(fault, kMergeOutputOpen, "\nERROR : Unable to open output file: " + output + "\n");
  }
  return argumentCount != 4 || openTicket(argumentValue[3], files, fault);
}

// Writes the embedded ticket's stream data to fd.
bool extractTicket(std::string_view pdf, const XrefChain& chain, const CatalogInfo& catalog,
                   const std::string& inputPath, int fd, MergeResult& fault) {
  std::optional<xref_entry> entry;
  if (catalog.jobTicketObjNum >= 0) entry = chain.table.find(catalog.jobTicketObjNum, catalog.jobTicketGenNum);
  if (!entry || entry->objectP < 0)
    return failWith(fault, kMergeNoTicket,
                    "\nError: Quorlan job ticket node not found in file " + inputPath + ".\n");
  size_t objectAt = static_cast<size_t>(entry->objectP);
  size_t keyword = findText(pdf, objectAt, "stream");
  size_t dataStart = keyword == kNotFound ? kNotFound : findNextLine(pdf, keyword);
  if (dataStart == kNotFound) return malformed(fault, "ticket object without \"stream\"", objectAt);
  size_t dataEnd = findText(pdf, dataStart, "endstream");
  if (dataEnd == kNotFound) return true;
  if (int rc = writeBytes(fd, pdf.substr(dataStart, dataEnd - dataStart)); rc != 0)
    return failWith(fault, kMergeOutputOpen, "\nERROR : Unable to write the job ticket\n");
  return true;
}

// Marks the input's old end, the last bytes of the copy, as a comment line.
int overwriteOldEnd(int fd, int64_t size) {
  if (size < static_cast<int64_t>(kEndOverwrite.size())) return 0;
  ssize_t n = pwrite(fd, kEndOverwrite.data(), kEndOverwrite.size(),
                     size - static_cast<off_t>(kEndOverwrite.size()));
  return n == static_cast<ssize_t>(kEndOverwrite.size()) ? 0 : (n < 0 ? errno : EIO);
}

// Copies the input to the output and marks its old end as a comment line.
bool copyInput(const RunFiles& files, int64_t size, const std::string& outputPath, MergeResult& fault) {
  int rc = copyFileBytes(files.input, files.output, size);
  if (rc == 0) rc = overwriteOldEnd(files.output, size);
  if (rc != 0)
    return failWith(fault, kMergeOutputOpen, "\nERROR : Unable to write output file: " + outputPath + "\n");
  return true;
}

// What a run does, and with which files.
struct MergeJob {
  enum class Mode { extract, combineIntoCopy, combineInPlace } mode = Mode::extract;
  std::string inputPath;
  std::string outputPath;   // where the result goes, for messages
  int extractFd = -1;       // extract: where the ticket bytes go
};

// Appends the ticket update to the output, which holds the input from its
// start; in place, the input's old end is marked last, once the update is
// written after it.
bool combine(const RunFiles& files, int64_t inputSize, XrefChain& chain, const CatalogInfo& catalog,
             TicketCrypt crypt, const MergeJob& job, MergeResult& fault) {
  struct stat ticketStatus {};
  if (fstat(files.ticket, &ticketStatus) != 0)
    return failWith(fault, kMergeTicketOpen, "\nERROR : Unable to open QJTF file\n");
  UpdatePlan plan;
  plan.catalog = &catalog;
  plan.jobTicketObjNum = catalog.jobTicketObjNum;
  plan.jobTicketGenNum = catalog.jobTicketGenNum;
  if (catalog.jobTicketObjNum < 0) {
    chain.maxObjNum += 1;
    plan.jobTicketObjNum = chain.maxObjNum;
    plan.jobTicketGenNum = 0;
    plan.rewriteCatalog = true;
  }
  plan.maxObjNum = chain.maxObjNum;
  plan.firstXrefOffset = chain.firstXrefOffset;
  plan.crypt = crypt;
  plan.ticketFd = files.ticket;
  plan.ticketSize = ticketStatus.st_size;
  OutputFile out(files.output, inputSize);
  if (!writeUpdate(out, chain, plan, fault)) return false;
  bool written = out.flush();
  if (written && job.mode == MergeJob::Mode::combineInPlace)
    written = overwriteOldEnd(files.output, inputSize) == 0;
  if (!written)
    return failWith(fault, kMergeOutputOpen, "\nERROR : Unable to write output file: " + job.outputPath + "\n");
  return true;
}

// Leaves the job without a ticket: a copy is emptied, so that the caller
// sends the input; a file merged in place stays as it was.
MergeResult skipTicket(const RunFiles& files, const MergeJob& job, const std::string& why) {
  if (job.mode == MergeJob::Mode::combineIntoCopy && ftruncate(files.output, 0) != 0) {
    return {kMergeOutputOpen, "\nERROR : Unable to write output file\n"};
  }
  return {kMergeOk, "\nError: No job ticket added to " + job.inputPath + ": " + why + ".\n"};
}

// Everything after the files are open: reading, then extracting or
// combining. ticketAdded tells whether a combine added the ticket.
MergeResult mergeOpenFiles(const RunFiles& files, const MergeJob& job, bool& ticketAdded) {
  MergeResult fault;
  ticketAdded = false;
  struct stat status {};
  MappedFile mapping;
  if (fstat(files.input, &status) != 0 || status.st_size <= 0 ||
      !mapping.map(files.input, static_cast<size_t>(status.st_size))) {
    malformed(fault, "empty or unreadable file", 0);
    return fault;
  }
  std::string_view pdf = mapping.bytes();
  XrefChain chain;
  TicketCrypt crypt = TicketCrypt::None;
  if (!readXrefChain(pdf, chain, fault, &mapping) || !ticketCryptFor(pdf, chain, crypt, fault))
    return fault;
  bool combineMode = job.mode != MergeJob::Mode::extract;
  if (combineMode && crypt == TicketCrypt::Impossible)
    return skipTicket(files, job, "its encryption has no Identity crypt filter for a readable ticket");
  if (job.mode == MergeJob::Mode::combineIntoCopy && !copyInput(files, status.st_size, job.outputPath, fault))
    return fault;
  CatalogInfo catalog;
  bool encrypted = crypt != TicketCrypt::None;
  if (!findCatalog(pdf, chain, !encrypted, catalog, fault)) return fault;
  if (catalog.inObjectStream && encrypted) {
    if (combineMode) return skipTicket(files, job, "its catalog is in an encrypted object stream");
    malformed(fault, "catalog inside an encrypted object stream", pdf.size());
    return fault;
  }
  findTicketKey(chain, catalog);
  if (!combineMode) {
    extractTicket(pdf, chain, catalog, job.inputPath, job.extractFd, fault);
    return fault;
  }
  ticketAdded = combine(files, status.st_size, chain, catalog, crypt, job, fault);
  return fault;
}

// The whole run of the command line after the argument count check.
MergeResult run(int argumentCount, const std::vector<std::string>& argumentValue, int standardOutput) {
  MergeResult fault;
  RunFiles files;
  if (!openFiles(argumentCount, argumentValue, files, fault)) return fault;
  MergeJob job;
  job.mode = argumentCount == 4 ? MergeJob::Mode::combineIntoCopy : MergeJob::Mode::extract;
  job.inputPath = argumentValue[1];
  if (argumentCount >= 3) job.outputPath = argumentValue[2];
  job.extractFd = argumentCount == 3 ? files.output : standardOutput;
  bool ticketAdded = false;
  return mergeOpenFiles(files, job, ticketAdded);
}

// Opens the PDF twice, to map it and to write after its end, and the ticket.
bool openInPlaceFiles(const std::string& pdfPath, const std::string& ticketPath, RunFiles& files,
                      MergeResult& fault) {
  if (!openInput(pdfPath, files, fault)) return false;
  files.output = open(pdfPath.c_str(), O_WRONLY | O_CLOEXEC);
  struct stat status {};
  if (files.output < 0 || fstat(files.output, &status) != 0 ||
      lseek(files.output, status.st_size, SEEK_SET) < 0)
    return failWith(fault, kMergeOutputOpen, "\nERROR : Unable to open output file: " + pdfPath + "\n");
  return openTicket(ticketPath, files, fault);
}

}  // namespace

// Checks the argument count and runs the merge; running out of memory
// ends it with the table's own status.
MergeResult insertQFJT(int argumentCount, const std::vector<std::string>& argumentValue,
                       int standardOutput) {
  std::string program = argumentValue.empty() ? std::string() : argumentValue[0];
  if (argumentCount < 2 || argumentCount > 4 || argumentValue.size() < static_cast<size_t>(argumentCount))
    return usage(program);
  try {
    return run(argumentCount, argumentValue, standardOutput);
  } catch (const std::bad_alloc&) {
    return {kMergeNoMemory, "failed to realloc xrefTable. exiting. \n"};
  }
}

// The combine run on one file, which the update is appended to.
MergeResult appendQFJT(const std::string& pdfPath, const std::string& ticketPath, bool& ticketAdded) {
  ticketAdded = false;
  try {
    MergeResult fault;
    RunFiles files;
    if (!openInPlaceFiles(pdfPath, ticketPath, files, fault)) return fault;
    MergeJob job;
    job.mode = MergeJob::Mode::combineInPlace;
    job.inputPath = pdfPath;
    job.outputPath = pdfPath;
    return mergeOpenFiles(files, job, ticketAdded);
  } catch (const std::bad_alloc&) {
    return {kMergeNoMemory, "failed to realloc xrefTable. exiting. \n"};
  }
}
