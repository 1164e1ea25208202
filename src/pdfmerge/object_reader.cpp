#include "object_reader.h"

#include "merge_fault.h"
#include "pdf_bytes.h"
#include "stream_data.h"

bool readCompressedObject(std::string_view pdf, const XrefChain& chain, const xref_entry& entry,
                          std::string& out, MergeResult& fault) {
  std::optional<xref_entry> holder = chain.table.findNumber(entry.streamObjNum);
  if (!holder || holder->objectP < 0)
    return malformed(fault, "object stream " + std::to_string(entry.streamObjNum) + " of object " +
                                std::to_string(entry.objNum) + " is not in the file", pdf.size());
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
    return malformed(fault, "object stream does not hold object " + std::to_string(entry.objNum) +
                                " where its entry says", stream.dataStart);
  size_t at = static_cast<size_t>(first + *offset);
  PdfValue value;
  SyntaxError error;
  if (!parsePdfObject(data, at, value, error))
    return malformed(fault, "object " + std::to_string(entry.objNum) + " in object stream: " +
                                error.what, stream.dataStart);
  out = data.substr(value.start, value.end - value.start);
  return true;
}


bool readObjectDictionary(std::string_view pdf, const XrefChain& chain, int32_t objNum,
                          std::string& storage, PdfValue& dict) {
  std::optional<xref_entry> entry = chain.table.findNumber(objNum);
  if (!entry) return false;
  std::string_view text;
  size_t pos = 0;
  MergeResult fault;
  if (entry->type == EntryType::Compressed) {
    if (!readCompressedObject(pdf, chain, *entry, storage, fault)) return false;
    text = storage;
  } else if (entry->type == EntryType::InUse && entry->objectP >= 0) {
    text = pdf;
    pos = static_cast<size_t>(entry->objectP);
    int64_t num = 0, gen = 0;
    if (!readObjectHeader(text, pos, num, gen) || num != objNum) return false;
  } else {
    return false;
  }
  SyntaxError error;
  return parsePdfObject(text, pos, dict, error) && dict.kind == PdfKind::Dictionary;
}
