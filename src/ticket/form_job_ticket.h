// The form job ticket: an XML document that tells the printer, for one or
// two page ranges, the tray, paper, media, duplex, resolution, finishing,
// toner saver, collation, output bin and copy count of a job. It is built
// whole from the job's options when created, then written to a file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "argument_store.h"
#include "keyword_table.h"

// How writing the ticket file went.
enum class TicketWriteStatus {
  written,    // every byte is in the file
  notOpened,  // the file does not exist or may not be written; nothing written
  incomplete  // a write failed (disk full ...): the file holds a partial ticket
};

class formJobTicket {
 public:
  // Builds the whole document from inputTicket. newCopiesCount nonzero:
  // every range states one copy (the printer makes the copies from the PJL
  // quantity); zero: every range states the job's copy count.
  static std::unique_ptr<formJobTicket> initWithTicket(
      std::shared_ptr<const argumentStore> inputTicket, int32_t newCopiesCount);

  // Number of fragments, and the fragment at index key (below count()).
  uint32_t count() const { return static_cast<uint32_t>(xmlLines.size()); }
  const std::string& objectOfKey(uint32_t key) const { return xmlLines.at(key); }

  // The document: the plain concatenation of the fragments.
  std::string text() const;

  // Writes the fragments in order into the existing file qfjtPath, from its
  // start, without creating or truncating it (the caller creates it empty).
  TicketWriteStatus writeQFJTtoFile(const std::string& qfjtPath) const;

 private:
  explicit formJobTicket(std::shared_ptr<const argumentStore> inputTicket);

  void buildPageRange(int32_t startPage, int32_t endPage, const std::string* paperSource,
                      int32_t newCopiesCount);
  void startPageAttribRange(int32_t startPage, int32_t endPage);
  void endPageAttribRange();

  // Media attributes.
  void setPaperSource(const std::string* paperSource);
  void setPaperSize();
  void setMediaType();
  // Finishing and output attributes.
  void setDuplex();
  void setResolution();
  void setHolePunch();
  void setStapleJob();
  void setTonerDarkness();
  void setCollation();
  void setOutputBin();
  void setNumberOfCopies(int32_t newCopiesCount);

  // Appends the fragment that table gives for the option's value, if any.
  void appendFromTable(std::string_view optionName, std::span<const KeywordFragment> table);
  const std::string* option(std::string_view name) const { return ticketData->getValue(name); }
  void append(std::string fragment) { xmlLines.push_back(std::move(fragment)); }

  std::vector<std::string> xmlLines;
  std::shared_ptr<const argumentStore> ticketData;
  bool isEnvelope = false;
};
