// The document catalog of the input and the job ticket key in it.
#pragma once

#include <cstdint>
#include <optional>

#include "pdf_bytes.h"
#include <string>
#include <string_view>

#include "merge_result.h"
#include "xref_reader.h"

// The catalog key that names the ticket stream.
constexpr std::string_view kTicketKey = "/QuorlanJobTicket";

struct CatalogInfo {
  int32_t rootObjNum = 0;
  int32_t rootGenNum = 0;
  std::optional<xref_entry> entry;
  // An ordinary object: from its first byte through its first "endobj".
  // An object in an object stream: the dictionary alone.
  std::string_view text;
  bool inObjectStream = false;
  std::string decoded;  // holds text for a catalog from an object stream
  // The ticket object the catalog names, -1 -1 when there is no usable one.
  int32_t jobTicketObjNum = -1;
  int32_t jobTicketGenNum = -1;
  // A ticket key in text that names no object: its entry's extent, left
  // out when the catalog is rewritten so that the dictionary holds the key
  // once. Both kNotFound when there is none.
  size_t staleKeyStart = kNotFound;
  size_t staleKeyEnd = kNotFound;
};

// Finds the catalog through the newest trailer that names it. With
// readCompressed false, a catalog inside an object stream is located but
// not read (its text stays empty).
bool findCatalog(std::string_view pdf, const XrefChain& chain, bool readCompressed,
                 CatalogInfo& catalog, MergeResult& fault);

// Looks for the ticket key inside the catalog's text and keeps it when the
// object it names has an entry.
void findTicketKey(const XrefChain& chain, CatalogInfo& catalog);
