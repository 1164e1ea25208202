// The PJL block of one job: an ordered list of complete PJL lines built from
// the job's options, written ahead of the PDF, and the end-of-job line after it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "argument_store.h"

struct settingRule;

class pjlCommands {
 public:
  // inputTicket: the job's options, shared with the caller. loggedUser: the
  // user name of the command line. fallbackCopies: the copy count used for
  // the QTY line when the job's options carry none (the copies argument).
  // printer: the buffered stream that reaches the printer. errors: where
  // the "ERROR: " messages for the spooler go.
  pjlCommands(std::shared_ptr<const argumentStore> inputTicket, std::string loggedUser,
              std::string fallbackCopies, FILE* printer = stdout, FILE* errors = stderr);

  // Starts a new line list holding the QJOBINFO line.
  void createPJLCommandsBuffer();
  // Drops the line list; later appends are ignored until a new one is created.
  void resetPJLCommandsBuffer();
  // Appends the JOB NAME line.
  void setPJLJob();
  // Appends the QTY line.
  void setQuantity();
  // Appends the printer-setting lines of the job's options in their fixed
  // order, with the custom paper and held-job lines, ending with the
  // QDUPLICATEHELDJOBS line.
  void setCommonPJLCommands();

  // Appends the held-job lines for a PrintTo value; nothing reports an
  // error instead.
  void setJobRouting(std::optional<std::string_view> ticketValue);
  // Appends the custom paper lines for a size text width "x" height in
  // points; nothing, or a text without "x", reports an error instead.
  void setCustomPaper(std::optional<std::string_view> ticketValue);
  // Appends the paper-source line of a tray name; others append nothing.
  void setPaperSource(std::optional<std::string_view> ticketValue);

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
  void appendLine(std::string_view pattern, std::initializer_list<std::string_view> values = {});
  void setMediaSize();
  void setUserAndRouting();
  void applySettingRule(const settingRule& rule);
  void reportError(std::string_view message);

  std::optional<std::vector<std::string>> pjlLines;
  std::shared_ptr<const argumentStore> ticketData;
  std::string currentUser;
  std::string defaultCopies;
  FILE* printerStream;
  FILE* errorStream;
};

// The first name under which this machine is known, or "" when unknown.
std::string localHostName();
