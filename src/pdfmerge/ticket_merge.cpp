#include "ticket_merge.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

#include "catalog.h"
#include "encryption.h"
#include "input_copy.h"
#include "mapped_file.h"
#include "merge_fault.h"
#include "output_file.h"
#include "pdf_bytes.h"
#include "update_writer.h"
#include "xref_reader.h"

namespace {

// Open descriptors of one run; those it opened itself are closed when it ends.
struct RunFiles {
  int input = -1;
  int output = -1;
  int ticket = -1;
  bool ownsOutput = true;
  bool outputIsFile = false;  // a regular file, which can be emptied again
  ~RunFiles() {
    if (ownsOutput && output >= 0) close(output);
    for (int fd : {input, ticket})
      if (fd >= 0) close(fd);
  }
};

// The input as messages name it.
const std::string& inputName(const MergeRequest& request) {
  return request.inputName.empty() ? request.inputPath : request.inputName;
}

// Opens the input for reading. A folder opens, but is no file to merge.
bool openInput(const MergeRequest& request, RunFiles& files, MergeResult& fault) {
  files.input = open(request.inputPath.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat status {};
  if (files.input < 0 || (fstat(files.input, &status) == 0 && S_ISDIR(status.st_mode))) {
    fault = mergeOpenFailure(kMergeInputOpen, inputName(request));
    return false;
  }
  return true;
}

// Creates or truncates the output file, which must not be the input.
bool openOutputFile(const std::string& path, RunFiles& files, MergeResult& fault) {
  files.output = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (files.output < 0) {
    fault = mergeOpenFailure(kMergeOutputOpen, path);
    return false;
  }
  struct stat in {}, out {};
  if (fstat(files.input, &in) == 0 && fstat(files.output, &out) == 0 && in.st_dev == out.st_dev &&
      in.st_ino == out.st_ino)
    return failWith(fault, kMergeOutputOpen, "\nERROR : Output file is the input file: " + path + "\n");
  files.outputIsFile = S_ISREG(out.st_mode);
  // Truncating an empty file would change nothing, yet ext4 then writes
  // the whole new contents back when the file is closed.
  if (S_ISREG(out.st_mode) && out.st_size > 0 && ftruncate(files.output, 0) != 0) {
    fault = mergeOpenFailure(kMergeOutputOpen, path);
    return false;
  }
  return true;
}

// Opens the input, the output and the ticket file that the request names,
// in that order.
bool openFiles(const MergeRequest& request, RunFiles& files, MergeResult& fault) {
  if (!openInput(request, files, fault)) return false;
  if (request.output == MergeOutput::file && !openOutputFile(request.outputPath, files, fault))
    return false;
  if (request.output == MergeOutput::descriptor) {
    files.output = request.outputFd;
    files.ownsOutput = false;
  }
  if (request.mode != MergeMode::combine || request.ticketBytes) return true;
  files.ticket = open(request.ticketPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (files.ticket < 0) {
    fault = mergeOpenFailure(kMergeTicketOpen, request.ticketPath);
    return false;
  }
  return true;
}

// Writes the embedded ticket's stream data to fd.
bool extractTicket(std::string_view pdf, const XrefChain& chain, const CatalogInfo& catalog,
                   const std::string& inputName, int fd, MergeResult& fault) {
  std::optional<xref_entry> entry;
  if (catalog.jobTicketObjNum >= 0) entry = chain.table.find(catalog.jobTicketObjNum, catalog.jobTicketGenNum);
  if (!entry || entry->objectP < 0)
    return failWith(fault, kMergeNoTicket,
                    "\nError: Quorlan job ticket node not found in file " + inputName + ".\n");
  size_t objectAt = static_cast<size_t>(entry->objectP);
  size_t keyword = findText(pdf, objectAt, "stream");
  size_t dataStart = keyword == kNotFound ? kNotFound : findNextLine(pdf, keyword);
  if (dataStart == kNotFound) return malformed(fault, "ticket object without \"stream\"", objectAt);
  // A ticket cut short would come back as a whole one.
  size_t dataEnd = findText(pdf, dataStart, "endstream");
  if (dataEnd == kNotFound) return malformed(fault, "ticket stream without \"endstream\"", dataStart);
  if (writeBytes(fd, pdf.substr(dataStart, dataEnd - dataStart)) != 0)
    return failWith(fault, kMergeOutputOpen, "\nERROR : Unable to write the job ticket\n");
  return true;
}

// The failure of a copy into the output, or of emptying it again.
MergeResult outputWriteFailure(const MergeRequest& request) {
  return mergeResult(kMergeOutputOpen, "\nERROR : Unable to write output file: " + request.outputPath + "\n");
}

// The plan of the update: the ticket's number (a new one, with the catalog
// rewritten, unless the catalog names a usable ticket) and its bytes.
UpdatePlan planUpdate(const RunFiles& files, const MergeRequest& request, XrefChain& chain,
                      const CatalogInfo& catalog, TicketCrypt crypt, MergeResult& fault) {
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
  if (request.ticketBytes) {
    plan.ticketBytes = *request.ticketBytes;
    plan.ticketSize = static_cast<int64_t>(request.ticketBytes->size());
    return plan;
  }
  struct stat ticketStatus {};
  if (fstat(files.ticket, &ticketStatus) != 0)
    failWith(fault, kMergeTicketOpen, "\nERROR : Unable to open QJTF file\n");
  plan.ticketFd = files.ticket;
  plan.ticketSize = ticketStatus.st_size;
  return plan;
}

// Writes the ticket update after the input's copy in the output, or keeps
// it in the result; the input's old end is marked as a comment line.
bool combine(const RunFiles& files, int64_t inputSize, XrefChain& chain, const CatalogInfo& catalog,
             TicketCrypt crypt, const MergeRequest& request, MergeResult& fault) {
  UpdatePlan plan = planUpdate(files, request, chain, catalog, crypt, fault);
  if (fault.status != kMergeOk) return false;
  const bool inMemory = request.output == MergeOutput::update;
  const int64_t endSize = static_cast<int64_t>(kEndOverwrite.size());
  if (inMemory) fault.keptInputBytes = inputSize >= endSize ? inputSize - endSize : inputSize;
  OutputFile out(inMemory ? -1 : files.output, inMemory ? fault.keptInputBytes : inputSize);
  if (inMemory && fault.keptInputBytes < inputSize) out.write(kEndOverwrite);
  if (!writeUpdate(out, chain, plan, fault)) return false;
  if (out.flush()) {
    if (inMemory) fault.update = out.takeBytes();
    return true;
  }
  // In memory only reading the ticket file can fail.
  if (inMemory)
    return failWith(fault, kMergeTicketOpen, "\nERROR : Unable to read QJTF file: " + request.ticketPath + "\n");
  return failWith(fault, kMergeOutputOpen, "\nERROR : Unable to write output file: " + request.outputPath + "\n");
}

// Leaves the job without a ticket: a copy is emptied, so that the caller
// sends the input.
MergeResult skipTicket(const RunFiles& files, const MergeRequest& request, const std::string& why) {
  if (request.output == MergeOutput::file && ftruncate(files.output, 0) != 0)
    return mergeResult(kMergeOutputOpen, "\nERROR : Unable to write output file\n");
  return mergeResult(kMergeOk, "\nError: No job ticket added to " + inputName(request) + ": " + why + ".\n");
}

// Everything after the files are open: reading, then extracting or
// combining.
MergeResult mergeOpenFiles(const RunFiles& files, const MergeRequest& request) {
  MergeResult fault;
  struct stat status {};
  MappedFile mapping;
  if (fstat(files.input, &status) != 0 || status.st_size <= 0 ||
      !mapping.map(files.input, static_cast<size_t>(status.st_size))) {
    malformed(fault, "empty or unreadable file", 0);
    return fault;
  }
  std::string_view pdf = mapping.bytes();
  const bool combineMode = request.mode == MergeMode::combine;
  const bool copies = combineMode && request.output == MergeOutput::file;
  InputCopy copy(files.input, files.output, status.st_size, copies && files.outputIsFile);
  XrefChain chain;
  TicketCrypt crypt = TicketCrypt::None;
  if (!readXrefChain(pdf, chain, fault, &mapping) || !ticketCryptFor(pdf, chain, crypt, fault))
    return copy.discard() ? fault : outputWriteFailure(request);
  if (combineMode && crypt == TicketCrypt::Impossible) {
    if (!copy.discard()) return outputWriteFailure(request);
    return skipTicket(files, request, "its encryption has no Identity crypt filter for a readable ticket");
  }
  if (copies && copy.finish() != 0) return outputWriteFailure(request);
  CatalogInfo catalog;
  bool encrypted = crypt != TicketCrypt::None;
  if (!findCatalog(pdf, chain, !encrypted, catalog, fault)) return fault;
  if (catalog.inObjectStream && encrypted) {
    if (combineMode) return skipTicket(files, request, "its catalog is in an encrypted object stream");
    malformed(fault, "catalog inside an encrypted object stream", pdf.size());
    return fault;
  }
  findTicketKey(chain, catalog);
  if (!combineMode) {
    extractTicket(pdf, chain, catalog, inputName(request), files.output, fault);
    return fault;
  }
  fault.ticketAdded = combine(files, status.st_size, chain, catalog, crypt, request, fault);
  return fault;
}

// True when the request's output suits its mode.
bool isValidRequest(const MergeRequest& request) {
  if (request.mode == MergeMode::combine) return request.output != MergeOutput::descriptor;
  return request.output != MergeOutput::update;
}

}  // namespace

MergeRequest MergeRequest::combine(std::string inputPath, std::string outputPath,
                                   std::string ticketPath) {
  MergeRequest request;
  request.inputPath = std::move(inputPath);
  request.outputPath = std::move(outputPath);
  request.ticketPath = std::move(ticketPath);
  return request;
}

MergeRequest MergeRequest::updateOnly(std::string inputPath, std::string ticketPath) {
  MergeRequest request = combine(std::move(inputPath), "", std::move(ticketPath));
  request.output = MergeOutput::update;
  return request;
}

MergeRequest MergeRequest::extract(std::string inputPath, std::string outputPath) {
  MergeRequest request;
  request.mode = MergeMode::extract;
  request.inputPath = std::move(inputPath);
  request.outputPath = std::move(outputPath);
  return request;
}

MergeRequest MergeRequest::extractTo(std::string inputPath, int fd) {
  MergeRequest request = extract(std::move(inputPath), "");
  request.output = MergeOutput::descriptor;
  request.outputFd = fd;
  return request;
}

MergeRequest MergeRequest::withTicketBytes(std::string bytes) && {
  ticketBytes = std::move(bytes);
  return std::move(*this);
}

// Opens the request's files and runs it; running out of memory ends it
// with the table's own status.
MergeResult mergeTicket(const MergeRequest& request) {
  if (!isValidRequest(request))
    return mergeResult(kMergeUsage, "\nERROR : No such merge: this output does not suit this mode\n");
  try {
    MergeResult fault;
    RunFiles files;
    if (!openFiles(request, files, fault)) return fault;
    return mergeOpenFiles(files, request);
  } catch (const std::bad_alloc&) {
    return mergeResult(kMergeNoMemory, "failed to realloc xrefTable. exiting. \n");
  }
}

// The open failure messages, one per role.
MergeResult mergeOpenFailure(MergeStatus status, const std::string& path) {
  switch (status) {
    case kMergeInputOpen:
      return mergeResult(status, "\nERROR : Unable to open input file: " + path + "\n");
    case kMergeTicketOpen:
      return mergeResult(status, "\nERROR : Unable to open QJTF file: " + path + "\n");
    default:
      return mergeResult(kMergeOutputOpen, "\nERROR : Unable to open output file: " + path + "\n");
  }
}
