// The PJL block of one job: an ordered list of complete PJL lines built from
// the job's options, written ahead of the PDF, and the end-of-job line after it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "argument_store.h"

class pjlCommands {
 public:
  // inputTicket: the job's options, shared with the caller. loggedUser: the
  // user name of the command line. fallbackCopies: the copy count used for
  // the QTY line when the job's options carry none (the copies argument).
  // printer: the buffered stream that reaches the printer.
  pjlCommands(std::shared_ptr<const argumentStore> inputTicket, std::string loggedUser,
              std::string fallbackCopies, FILE* printer = stdout);

  // Starts a new line list holding the QJOBINFO line.
  void createPJLCommandsBuffer();
  // Drops the line list; later appends are ignored until a new one is created.
  void resetPJLCommandsBuffer();
  // Appends the JOB NAME line.
  void setPJLJob();
  // Appends the QTY line.
  void setQuantity();

  // Number of lines held; 0 when no list exists.
  uint32_t ticketCount() const;
  // The line at index key; key must be below ticketCount().
  const std::string& objectOfKey(uint32_t key) const;
  // The lines in list order; empty when no list exists.
  std::span<const std::string> objectEnumerator() const;

  // Writes every line to the printer stream, flushing after each one, and
  // to pdf_output as well when logToDisk. The list is kept.
  void sendPJLLinesToPrinter(bool logToDisk, FILE* pdf_output);
  // Writes "@PJL EOJ\n" to the printer stream (not flushed), and to
  // pdf_output when logToDisk. The list is not changed.
  void setPJLEndOfJob(bool logToDisk, FILE* pdf_output);

 private:
  void appendLine(std::string line);

  std::optional<std::vector<std::string>> pjlLines;
  std::shared_ptr<const argumentStore> ticketData;
  std::string currentUser;
  std::string defaultCopies;
  FILE* printerStream;
};

// The first name under which this machine is known, or "" when unknown.
std::string localHostName();
