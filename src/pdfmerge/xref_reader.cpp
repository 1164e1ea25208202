#include "xref_reader.h"

#include <algorithm>

#include "merge_fault.h"
#include "pdf_bytes.h"
#include "stream_data.h"

namespace {

constexpr size_t kClassicEntrySize = 20;
// Room for the longest "num gen obj" of single-spaced ten-digit numbers and
// the byte after it.
constexpr size_t kPlainHeaderRoom = 26;

// Message for an entry whose object is not where the entry says.
bool misplaced(const xref_entry& entry, std::string_view why, MergeResult& fault) {
  return malformed(fault,
                   "object " + std::to_string(entry.objNum) + " " + std::to_string(entry.genNum) +
                       " is not where its cross-reference entry says" + std::string(why),
                   static_cast<size_t>(entry.offset));
}

// Reads up to ten digits at p, as the general header reader does, moving
// p past them.
int64_t shortNumberAt(const char*& p) {
  int64_t value = 0;
  for (const char* end = p + 10; p < end && static_cast<unsigned char>(*p - '0') <= 9; ++p)
    value = value * 10 + (*p - '0');
  return value;
}

// True when head, the bytes at an entry's offset, begins with its
// "num gen obj" with single spaces, as writers print it. Read without
// bounds checks when the longest such header fits, since every entry of
// the file comes this way.
bool plainHeaderAt(std::string_view head, const xref_entry& entry) {
  if (head.size() < kPlainHeaderRoom) return false;
  const char* start = head.data();
  const char* p = start;
  if (shortNumberAt(p) != entry.objNum || p == start || *p++ != ' ') return false;
  const char* genAt = p;
  if (shortNumberAt(p) != entry.genNum || p == genAt || *p++ != ' ') return false;
  return p[0] == 'o' && p[1] == 'b' && p[2] == 'j' && (isPdfSpace(p[3]) || isPdfDelimiter(p[3]));
}

// Where an object that an in-use entry names must begin.
bool checkObjectHeader(std::string_view pdf, XrefChain& chain, xref_entry& entry,
                       MergeResult& fault) {
  if (entry.offset <= 0) return true;
  if (static_cast<uint64_t>(entry.offset) >= pdf.size())
    return misplaced(entry, " (beyond the end of the file)", fault);
  size_t pos = static_cast<size_t>(entry.offset);
  char buffer[kPlainHeaderRoom];
  std::string_view head = chain.objectReads.bytesAt(pdf, pos, kPlainHeaderRoom, buffer);
  int64_t num = 0, gen = 0;
  if (!plainHeaderAt(head, entry) &&
      (!readObjectHeader(pdf, pos, num, gen) || num != entry.objNum || gen != entry.genNum))
    return misplaced(entry, "", fault);
  entry.objectP = entry.offset;
  return true;
}

// Adds entry unless its object is already held, checking its header. A
// free entry at or after index overridableFrom (a hybrid section's table
// placeholder) gives way to entry.
bool addEntry(std::string_view pdf, XrefChain& chain, xref_entry entry, MergeResult& fault,
              size_t overridableFrom = SIZE_MAX) {
  int64_t held = chain.table.indexOf(entry.objNum);
  bool replaces = held >= 0 && static_cast<size_t>(held) >= overridableFrom &&
                  chain.table.entries()[static_cast<size_t>(held)].type == EntryType::Free;
  if (held >= 0 && !replaces) return true;
  if (entry.type == EntryType::InUse && !checkObjectHeader(pdf, chain, entry, fault)) return false;
  if (replaces) {
    chain.table.replace(static_cast<size_t>(held), entry);
  } else {
    chain.table.add(entry);
  }
  return true;
}

// Checks a subsection's first object number and count.
bool checkRange(int64_t first, int64_t count, size_t at, MergeResult& fault) {
  if (first < 0 || count < 0 || (count > 0 && first + count - 1 > kMaxObjectNumber))
    return malformed(fault, "cross-reference subsection with impossible object numbers", at);
  return true;
}

// Makes the trailer copy of a dictionary that spans [from, to) of pdf,
// parsing it again so that its spans are positions in the copy.
bool makeCopy(std::string_view pdf, size_t from, size_t to, size_t dictAt, bool isStream,
              TrailerCopy& copy, MergeResult& fault) {
  copy.text.assign(pdf.substr(from, to - from));
  copy.isStream = isStream;
  copy.fileOffset = from;
  size_t pos = dictAt - from;
  SyntaxError error;
  if (!parsePdfObject(copy.text, pos, copy.dict, error))
    return malformed(fault, error.what, from + error.offset);
  return true;
}

// Reads the entries of the cross-reference stream at offset; with copy,
// also keeps its dictionary as the section's trailer. Free entries from
// index overridableFrom on give way to the stream's entries.
bool readXrefStream(std::string_view pdf, size_t offset, XrefChain& chain, TrailerCopy* copy,
                    MergeResult& fault, size_t overridableFrom = SIZE_MAX) {
  StreamObject stream;
  if (!readStreamObject(pdf, offset, -1, 0, chain.table, stream, fault)) return false;
  const PdfValue& dict = stream.dict;
  if (!isName(dictGet(dict, "Type"), "XRef"))
    return malformed(fault, "no cross-reference section", offset);
  const PdfValue* w = dictGet(dict, "W");
  int64_t widths[3] = {0, 0, 0};
  if (w == nullptr || w->kind != PdfKind::Array || w->items.size() != 3 ||
      !asInteger(&w->items[0], 0, 8, widths[0]) || !asInteger(&w->items[1], 0, 8, widths[1]) ||
      !asInteger(&w->items[2], 0, 8, widths[2]) || widths[0] + widths[1] + widths[2] == 0)
    return malformed(fault, "cross-reference stream without a usable /W", dict.start);
  int64_t size = 0;
  if (!asInteger(dictGet(dict, "Size"), 0, kMaxObjectNumber + 1, size))
    return malformed(fault, "cross-reference stream without a usable /Size", dict.start);
  std::vector<int64_t> index;
  const PdfValue* indexValue = dictGet(dict, "Index");
  if (indexValue == nullptr) {
    index = {0, size};
  } else if (indexValue->kind == PdfKind::Array && indexValue->items.size() % 2 == 0) {
    for (const PdfValue& item : indexValue->items) {
      int64_t n = 0;
      if (!asInteger(&item, 0, kMaxObjectNumber + 1, n))
        return malformed(fault, "bad number in /Index", item.start);
      index.push_back(n);
    }
  } else {
    return malformed(fault, "cross-reference stream with a bad /Index", indexValue->start);
  }
  std::string data;
  chain.sectionReads.note(stream.dataStart, stream.dataStart + stream.dataLength);
  if (!decodeStream(pdf, stream, data, fault)) return false;
  size_t rowWidth = static_cast<size_t>(widths[0] + widths[1] + widths[2]);
  size_t rows = data.size() / rowWidth;
  size_t row = 0;
  for (size_t k = 0; k < index.size(); k += 2) {
    if (!checkRange(index[k], index[k + 1], dict.start, fault)) return false;
    if (static_cast<uint64_t>(index[k + 1]) > rows - row)
      return malformed(fault, "cross-reference stream shorter than its /Index", stream.dataStart);
    chain.objectReads.expectEntries(static_cast<size_t>(index[k + 1]));
    for (int64_t i = index[k]; i < index[k] + index[k + 1]; ++i, ++row) {
      const unsigned char* p = reinterpret_cast<const unsigned char*>(data.data()) + row * rowWidth;
      uint64_t fields[3] = {widths[0] == 0 ? 1u : 0u, 0, 0};
      for (int f = 0; f < 3; ++f) {
        if (widths[f] == 0) continue;
        fields[f] = 0;
        for (int64_t b = 0; b < widths[f]; ++b) fields[f] = (fields[f] << 8) | *p++;
      }
      chain.maxObjNum = std::max(chain.maxObjNum, static_cast<int32_t>(i));
      if (fields[0] > 2) continue;
      if (fields[1] > (uint64_t{1} << 40) || fields[2] > 0x7fffffff)
        return malformed(fault, "cross-reference stream entry out of range", stream.dataStart);
      xref_entry entry;
      entry.objNum = static_cast<int32_t>(i);
      if (fields[0] == 2) {
        entry.type = EntryType::Compressed;
        if (fields[1] > static_cast<uint64_t>(kMaxObjectNumber))
          return malformed(fault, "compressed entry names an impossible object stream", stream.dataStart);
        entry.streamObjNum = static_cast<int32_t>(fields[1]);
        entry.streamIndex = static_cast<int32_t>(fields[2]);
      } else {
        entry.offset = static_cast<int64_t>(fields[1]);
        entry.genNum = static_cast<int32_t>(fields[2]);
        entry.isFree = fields[0] == 0 ? 1 : 0;
        entry.type = fields[0] == 0 ? EntryType::Free : EntryType::InUse;
      }
      if (!addEntry(pdf, chain, entry, fault, overridableFrom)) return false;
    }
  }
  if (copy == nullptr) return true;
  return makeCopy(pdf, dict.start, dict.end, dict.start, true, *copy, fault);
}

// Reads the digits of buf[from, from + count) when all are digits. One
// check after the loop keeps it free of branches, so that the compiler can
// unroll it for the ten and five digits of every table entry.
template <size_t count>
std::optional<int64_t> fixedDigits(std::string_view buf, size_t from) {
  int64_t value = 0;
  unsigned nonDigit = 0;
#pragma GCC unroll 10
  for (size_t p = from; p < from + count; ++p) {
    unsigned digit = static_cast<unsigned char>(buf[p]) - unsigned{'0'};
    nonDigit |= digit > 9 ? 1u : 0u;
    value = value * 10 + digit;
  }
  if (nonDigit != 0) return std::nullopt;
  return value;
}

// Reads one classic entry at pos for object i: "%10d %5d", then the type
// letter at byte 17. The usual zero-padded form is read directly.
bool readClassicEntry(std::string_view pdf, size_t pos, int64_t i, xref_entry& entry,
                      MergeResult& fault) {
  std::optional<int64_t> offset, gen;
  if (pos + 17 < pdf.size() && pdf[pos + 10] == ' ' && pdf[pos + 16] == ' ') {
    offset = fixedDigits<10>(pdf, pos);
    gen = offset ? fixedDigits<5>(pdf, pos + 11) : std::nullopt;
  }
  if (!gen) {
    std::string_view record = pdf.substr(0, std::min(pdf.size(), pos + kClassicEntrySize));
    size_t p = pos;
    offset = readDecimal(record, p, 10);
    gen = offset ? readDecimal(record, p, 5) : std::nullopt;
  }
  if (!gen || *gen < 0 || *gen > 99999 || pos + 17 >= pdf.size())
    return malformed(fault, "unreadable cross-reference entry", pos);
  entry.offset = *offset;
  entry.objNum = static_cast<int32_t>(i);
  entry.genNum = static_cast<int32_t>(*gen);
  entry.isFree = pdf[pos + 17] == 'f' ? 1 : 0;
  entry.type = entry.isFree ? EntryType::Free : EntryType::InUse;
  return true;
}

// Reads the classic section at offset, its entries into the table and its
// trailer into copy.
bool readClassicTable(std::string_view pdf, size_t offset, XrefChain& chain, TrailerCopy& copy,
                      MergeResult& fault) {
  size_t pos = findNextLine(pdf, offset);
  if (pos == kNotFound) return malformed(fault, "\"xref\" with nothing after it", offset);
  for (;;) {
    size_t headerAt = skipCSpace(pdf, pos);
    size_t p = headerAt;
    std::optional<int64_t> first = readDecimal(pdf, p);
    std::optional<int64_t> count = first ? readDecimal(pdf, p) : std::nullopt;
    if (!count) return malformed(fault, "unreadable cross-reference subsection header", headerAt);
    if (!checkRange(*first, *count, headerAt, fault)) return false;
    pos = findNextLine(pdf, p);
    if (pos == kNotFound || static_cast<uint64_t>(*count) > (pdf.size() - pos) / kClassicEntrySize)
      return malformed(fault, "cross-reference subsection runs past the end of the file", headerAt);
    chain.table.reserve(static_cast<size_t>(*count));
    chain.objectReads.expectEntries(static_cast<size_t>(*count));
    for (int64_t i = *first; i < *first + *count; ++i, pos += kClassicEntrySize) {
      chain.maxObjNum = std::max(chain.maxObjNum, static_cast<int32_t>(i));
      xref_entry entry;
      chain.sectionReads.note(pos, pos + kClassicEntrySize);
      if (!readClassicEntry(pdf, pos, i, entry, fault) || !addEntry(pdf, chain, entry, fault))
        return false;
    }
    // Some writers leave a blank line before the keyword.
    size_t keyword = skipCSpace(pdf, pos);
    if (keyword < pdf.size() && pdf.compare(keyword, 7, "trailer") == 0) {
      pos = keyword;
      break;
    }
    if (keyword >= pdf.size()) return malformed(fault, "cross-reference table without a trailer", pos);
  }
  size_t dictPos = pos + 7;
  PdfValue dict;
  SyntaxError error;
  if (!parsePdfObject(pdf, dictPos, dict, error))
    return malformed(fault, "trailer without a dictionary: " + error.what, error.offset);
  if (dict.kind != PdfKind::Dictionary)
    return malformed(fault, "trailer without a dictionary", dict.start);
  return makeCopy(pdf, pos, std::min(pdf.size(), dict.end + 1), dict.start, false, copy, fault);
}

// Reads a classic section, then the cross-reference stream of a hybrid
// file's section, whose entries replace the table's free placeholders for
// the objects it holds.
bool readClassicSection(std::string_view pdf, size_t offset, XrefChain& chain, TrailerCopy& copy,
                        MergeResult& fault) {
  size_t sectionStart = chain.table.entries().size();
  if (!readClassicTable(pdf, offset, chain, copy, fault)) return false;
  const PdfValue* xrefStm = dictGet(copy.dict, "XRefStm");
  if (xrefStm == nullptr) return true;
  int64_t at = 0;
  if (!asInteger(xrefStm, 0, static_cast<int64_t>(pdf.size()) - 1, at))
    return malformed(fault, "/XRefStm outside the file", offset);
  return readXrefStream(pdf, static_cast<size_t>(at), chain, nullptr, fault, sectionStart);
}

// Reads the section at offset, whichever its kind.
bool readSection(std::string_view pdf, int64_t offset, XrefChain& chain, MergeResult& fault) {
  if (offset < 0 || static_cast<uint64_t>(offset) >= pdf.size())
    return malformed(fault, "cross-reference offset " + std::to_string(offset) + " outside the file",
                     offset < 0 ? 0 : pdf.size());
  if (chain.trailer.size() + 1 > kMaxTrailers)
    return failWith(fault, kMergeMalformed,
                    "\nToo many trailers: " + std::to_string(chain.trailer.size() + 1) + "\n");
  size_t at = static_cast<size_t>(offset);
  TrailerCopy copy;
  if (pdf.compare(at, 4, "xref") == 0) {
    if (!readClassicSection(pdf, at, chain, copy, fault)) return false;
  } else {
    size_t pos = at;
    int64_t num = 0, gen = 0;
    if (!readObjectHeader(pdf, pos, num, gen))
      return malformed(fault, "no cross-reference section", at);
    if (!readXrefStream(pdf, at, chain, &copy, fault)) return false;
  }
  chain.trailer.push_back(std::move(copy));
  return true;
}

// Makes room for every object the newest trailer counts, so that the older
// sections of an updated file do not grow the table again and again. The
// count is only believed as far as the file could list that many entries.
void reserveForSize(std::string_view pdf, XrefChain& chain) {
  int64_t size = 0;
  if (!asInteger(dictGet(chain.trailer.front().dict, "Size"), 0, kMaxObjectNumber + 1, size)) return;
  size_t wanted = std::min(static_cast<size_t>(size), pdf.size() / kClassicEntrySize);
  size_t held = chain.table.entries().size();
  if (wanted > held) chain.table.reserve(wanted - held);
}

}  // namespace

// Follows the chain from "startxref" through every /Prev.
bool readXrefChain(std::string_view pdf, XrefChain& chain, MergeResult& fault,
                   const MappedFile* file) {
  chain.sectionReads = ResidentWindow(file);
  chain.objectReads = ResidentWindow(file);
  chain.firstXrefOffset = GetStartXref(pdf);
  if (chain.firstXrefOffset == -1) return malformed(fault, "no \"startxref\"", pdf.size());
  int64_t offset = chain.firstXrefOffset;
  for (;;) {
    if (!readSection(pdf, offset, chain, fault)) return false;
    const PdfValue* prev = dictGet(chain.trailer.back().dict, "Prev");
    if (prev == nullptr) return true;
    if (chain.trailer.size() == 1) reserveForSize(pdf, chain);
    if (!asInteger(prev, 0, INT64_MAX, offset))
      return malformed(fault, "trailer /Prev is not an offset", pdf.size());
  }
}
