#include "catalog.h"

#include "object_reader.h"

#include "merge_fault.h"
#include "pdf_bytes.h"
#include "stream_data.h"


// Root reference from the newest trailer that has one, its entry and text.
bool findCatalog(std::string_view pdf, const XrefChain& chain, bool readCompressed,
                 CatalogInfo& catalog, MergeResult& fault) {
  const PdfValue* root = nullptr;
  for (const TrailerCopy& copy : chain.trailer) {
    root = dictGet(copy.dict, "Root");
    if (root != nullptr) break;
  }
  if (root == nullptr || root->kind != PdfKind::Reference || root->integer > kMaxObjectNumber ||
      root->generation > 65535)
    return failWith(fault, kMergeNoRootInTrailer, "\nError: Root node not found in trailer.\n");
  catalog.rootObjNum = static_cast<int32_t>(root->integer);
  catalog.rootGenNum = static_cast<int32_t>(root->generation);
  catalog.entry = chain.table.find(catalog.rootObjNum, catalog.rootGenNum);
  const std::optional<xref_entry>& entry = catalog.entry;
  if (!entry || entry->type == EntryType::Free ||
      (entry->type == EntryType::InUse && entry->objectP < 0))
    return failWith(fault, kMergeNoRootInXref, "\nError: Root node not found in xref table.\n");
  if (entry->type == EntryType::Compressed) {
    catalog.inObjectStream = true;
    if (!readCompressed) return true;
    if (!readCompressedObject(pdf, chain, *entry, catalog.decoded, fault)) return false;
    catalog.text = catalog.decoded;
    return true;
  }
  size_t start = static_cast<size_t>(entry->objectP);
  size_t length = objectLength(pdf, start);
  if (length == kNotFound)
    return malformed(fault, "catalog object without \"endobj\"", start);
  catalog.text = pdf.substr(start, length);
  return true;
}

// The key's two numbers, kept only when the table has that object.
void findTicketKey(const XrefChain& chain, CatalogInfo& catalog) {
  catalog.jobTicketObjNum = -1;
  catalog.jobTicketGenNum = -1;
  // The text ends with the catalog, so the search may pass NUL bytes, which
  // PDF counts as white space. Only the whole name counts: a longer name
  // that begins the same is another key.
  size_t at = catalog.text.find(kTicketKey);
  while (at != kNotFound && at + kTicketKey.size() < catalog.text.size()) {
    const unsigned char next = static_cast<unsigned char>(catalog.text[at + kTicketKey.size()]);
    if (isPdfSpace(next) || isPdfDelimiter(next)) break;
    at = catalog.text.find(kTicketKey, at + 1);
  }
  if (at == kNotFound) return;
  size_t pos = at + kTicketKey.size();
  PdfValue value;
  SyntaxError error;
  size_t valueAt = pos;
  if (parsePdfObject(catalog.text, valueAt, value, error)) {
    catalog.staleKeyStart = at;
    catalog.staleKeyEnd = value.end;
    while (catalog.staleKeyEnd < catalog.text.size() && isPdfSpace(catalog.text[catalog.staleKeyEnd]))
      ++catalog.staleKeyEnd;
  }
  std::optional<int64_t> num = readDecimal(catalog.text, pos);
  std::optional<int64_t> gen = num ? readDecimal(catalog.text, pos) : std::nullopt;
  if (!gen || *num < 0 || *num > kMaxObjectNumber || *gen < 0 || *gen > 99999) return;
  if (!chain.table.find(static_cast<int32_t>(*num), static_cast<int32_t>(*gen))) return;
  catalog.staleKeyStart = kNotFound;
  catalog.staleKeyEnd = kNotFound;
  catalog.jobTicketObjNum = static_cast<int32_t>(*num);
  catalog.jobTicketGenNum = static_cast<int32_t>(*gen);
}
