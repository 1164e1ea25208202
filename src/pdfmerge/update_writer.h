// Writes the incremental update that carries the ticket: the rewritten
// catalog when it needs the key, the ticket stream, a new cross-reference
// section in the style of the input's newest one, its trailer and
// "startxref".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalog.h"
#include "encryption.h"
#include "merge_result.h"
#include "output_file.h"
#include "xref_reader.h"

struct UpdatePlan {
  const CatalogInfo* catalog = nullptr;
  bool rewriteCatalog = false;  // the catalog gets the ticket key
  int32_t jobTicketObjNum = 0;
  int32_t jobTicketGenNum = 0;
  int32_t maxObjNum = 0;        // including a new ticket number
  int64_t firstXrefOffset = 0;
  TicketCrypt crypt = TicketCrypt::None;
  // The ticket: its bytes, or ticketSize bytes of ticketFd when that is set.
  std::string_view ticketBytes;
  int ticketFd = -1;
  int64_t ticketSize = 0;
};

// Appends the update to out. The newest trailer copy decides the section's
// style.
bool writeUpdate(OutputFile& out, const XrefChain& chain, const UpdatePlan& plan,
                 MergeResult& fault);

// The text of a classic trailer up to its new /Size line: the newest
// trailer's kept text, without keys the update writes again, followed by
// the entries that the kept text lost.
bool classicTrailerText(const TrailerCopy& newest, std::string& text, MergeResult& fault);
