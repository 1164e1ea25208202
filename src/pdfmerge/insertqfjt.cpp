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

// Opens the input, the output and the ticket file, in that order.
bool openFiles(int argumentCount, const std::vector<std::string>& argumentValue, RunFiles& files,
               MergeResult& fault) {
  const std::string& input = argumentValue[1];
  if (input.size() > kMaxPathLength)
    return failWith(fault, kMergeInputOpen, "\nERROR : Input file path longer than 99 bytes: " + input + "\n");
  files.input = open(input.c_str(), O_RDONLY | O_CLOEXEC);
  if (files.input < 0)
    return failWith(fault, kMergeInputOpen, "\nERROR : Unable to open input file: " + input + "\n");
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
  if (argumentCount == 4) {
    const std::string& ticket = argumentValue[3];
    if (ticket.size() > kMaxPathLength)
      return failWith(fault, kMergeTicketOpen, "\nERROR : QJTF file path longer than 99 bytes: " + ticket + "\n");
    files.ticket = open(ticket.c_str(), O_RDONLY | O_CLOEXEC);
    if (files.ticket < 0)
      return failWith(fault, kMergeTicketOpen, "\nERROR : Unable to open QJTF file: " + ticket + "\n");
  }
  return true;
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

// Copies the input to the output and marks its old end as a comment line.
bool copyInput(const RunFiles& files, int64_t size, const std::string& outputPath, MergeResult& fault) {
  int rc = copyFileBytes(files.input, files.output, size);
  if (rc == 0 && size >= static_cast<int64_t>(kEndOverwrite.size()) &&
      pwrite(files.output, kEndOverwrite.data(), kEndOverwrite.size(),
             size - static_cast<off_t>(kEndOverwrite.size())) != static_cast<ssize_t>(kEndOverwrite.size()))
    rc = errno;
  if (rc != 0)
    return failWith(fault, kMergeOutputOpen, "\nERROR : Unable to write output file: " + outputPath + "\n");
  return true;
}

// Appends the ticket update to the copied input.
bool combine(const RunFiles& files, int64_t inputSize, XrefChain& chain, const CatalogInfo& catalog,
             TicketCrypt crypt, const std::string& outputPath, MergeResult& fault) {
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
  if (!out.flush())
    return failWith(fault, kMergeOutputOpen, "\nERROR : Unable to write output file: " + outputPath + "\n");
  return true;
}

// Leaves the output empty: the caller sends the input without a ticket.
MergeResult skipTicket(const RunFiles& files, const std::string& inputPath, const std::string& why) {
  if (ftruncate(files.output, 0) != 0) {
    return {kMergeOutputOpen, "\nERROR : Unable to write output file\n"};
  }
  return {kMergeOk, "\nError: No job ticket added to " + inputPath + ": " + why + ".\n"};
}

// The whole run after the argument count check.
MergeResult run(int argumentCount, const std::vector<std::string>& argumentValue, int standardOutput) {
  MergeResult fault;
  RunFiles files;
  if (!openFiles(argumentCount, argumentValue, files, fault)) return fault;
  const std::string& inputPath = argumentValue[1];
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
  bool combineMode = argumentCount == 4;
  if (combineMode && crypt == TicketCrypt::Impossible)
    return skipTicket(files, inputPath, "its encryption has no Identity crypt filter for a readable ticket");
  if (combineMode && !copyInput(files, status.st_size, argumentValue[2], fault)) return fault;
  CatalogInfo catalog;
  bool encrypted = crypt != TicketCrypt::None;
  if (!findCatalog(pdf, chain, !encrypted, catalog, fault)) return fault;
  if (catalog.inObjectStream && encrypted) {
    if (combineMode) return skipTicket(files, inputPath, "its catalog is in an encrypted object stream");
    malformed(fault, "catalog inside an encrypted object stream", pdf.size());
    return fault;
  }
  findTicketKey(chain, catalog);
  if (!combineMode) {
    extractTicket(pdf, chain, catalog, inputPath, argumentCount == 3 ? files.output : standardOutput, fault);
    return fault;
  }
  combine(files, status.st_size, chain, catalog, crypt, argumentValue[2], fault);
  return fault;
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
