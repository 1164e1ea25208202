#include "catalog.h"

#include "merge_fault.h"
#include "pdf_bytes.h"
#include "stream_data.h"

namespace {

// The object with index streamIndex of object stream streamObjNum, which
// must be object objNum; its bytes go to out.
bool readFromObjectStream(std::string_view pdf, const XrefChain& chain, const xref_entry& entry,
                          std::string& out, MergeResult& fault) {
  const xref_entry* holder = chain.table.findNumber(entry.streamObjNum);
  if (holder == nullptr || holder->objectP < 0)
    return malformed(fault, "catalog's object stream " + std::to_string(entry.streamObjNum) +
                                " is not in the file", pdf.size());
  StreamObject stream;
  if (!readStreamObject(pdf, static_cast<size_t>(holder->objectP), holder->objNum, holder->genNum,
                        chain.table, stream, fault))
    return false;
  int64_t count = 0, first = 0;
  if (!isName(dictGet(stream.dict, "Type"), "ObjStm") ||
      !asInteger(dictGet(stream.dict, "N"), 0, kMaxObjectNumber, count) ||
      !asInteger(dictGet(stream.dict, "First"), 0, INT64_C(1) << 40, first))
    return malformed(fault, "bad object stream dictionary", stream.dict.start);
  std::string data;
  if (!decodeStream(pdf, stream, data, fault)) return false;
  if (static_cast<uint64_t>(first) > data.size() || entry.streamIndex >= count)
    return malformed(fault, "object stream too short for its /First or /N", stream.dataStart);
  std::string_view header = std::string_view(data).substr(0, static_cast<size_t>(first));
  size_t pos = 0;
  std::optional<int64_t> number, offset;
  for (int64_t k = 0; k <= entry.streamIndex; ++k) {
    number = readDecimal(header, pos);
    offset = number ? readDecimal(header, pos) : std::nullopt;
    if (!offset) return malformed(fault, "unreadable object stream header", stream.dataStart);
  }
  if (*number != entry.objNum || *offset < 0 ||
      static_cast<uint64_t>(*offset) >= data.size() - static_cast<size_t>(first))
    return malformed(fault, "object stream does not hold the catalog where its entry says",
                     stream.dataStart);
  size_t at = static_cast<size_t>(first + *offset);
  PdfValue value;
  SyntaxError error;
  if (!parsePdfObject(data, at, value, error))
    return malformed(fault, "catalog in object stream: " + error.what, stream.dataStart);
  out = data.substr(value.start, value.end - value.start);
  return true;
}

}  // namespace

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
  const xref_entry* entry = catalog.entry;
  if (entry == nullptr || entry->type == EntryType::Free ||
      (entry->type == EntryType::InUse && entry->objectP < 0))
    return failWith(fault, kMergeNoRootInXref, "\nError: Root node not found in xref table.\n");
  if (entry->type == EntryType::Compressed) {
    catalog.inObjectStream = true;
    if (!readCompressed) return true;
    if (!readFromObjectStream(pdf, chain, *entry, catalog.decoded, fault)) return false;
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
  size_t at = findText(catalog.text, 0, kTicketKey);
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
  if (chain.table.find(static_cast<int32_t>(*num), static_cast<int32_t>(*gen)) == nullptr) return;
  catalog.staleKeyStart = kNotFound;
  catalog.staleKeyEnd = kNotFound;
  catalog.jobTicketObjNum = static_cast<int32_t>(*num);
  catalog.jobTicketGenNum = static_cast<int32_t>(*gen);
}
