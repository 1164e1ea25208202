#include "xref_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>

#include "merge_fault.h"
#include "pdf_bytes.h"
#include "stream_data.h"

namespace {

constexpr size_t kClassicEntrySize = 20;
// The table's text is noted as read this many entries at a time.
constexpr int64_t kEntriesNoted = 4096;
// Room for the longest "num gen obj" of single-spaced ten-digit numbers and
// the byte after it.
constexpr size_t kPlainHeaderRoom = 26;

// The bytes that may follow a keyword: white space and delimiters.
constexpr std::array<bool, 256> kEndsKeyword = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c)
    table[c] = isPdfSpace(static_cast<unsigned char>(c)) || isPdfDelimiter(static_cast<unsigned char>(c));
  return table;
}();

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

// The decimal digits of the object number that a subsection's loop is at,
// and the space after them, counted up along with it, so that object
// headers are compared as text, eight bytes at once.
class NumberText {
 public:
  explicit NumberText(int64_t first) {
    length = static_cast<size_t>(std::to_chars(digits, digits + 7, first).ptr - digits);
    digits[length] = ' ';
    setMask();
  }
  // True when the eight bytes at p begin with the digits and a space.
  bool startsAt(const char* p) const {
    uint64_t word, expected;
    std::memcpy(&word, p, sizeof word);
    std::memcpy(&expected, digits, sizeof expected);
    return ((word ^ expected) & mask) == 0;
  }
  // Moves on to the next number.
  void next() {
    size_t k = length;
    while (k > 0 && digits[k - 1] == '9') digits[--k] = '0';
    if (k > 0) {
      ++digits[k - 1];
      return;
    }
    std::memmove(digits + 1, digits, length + 1);
    digits[0] = '1';
    ++length;
    setMask();
  }
  size_t size() const { return length; }

 private:
  // Object numbers have at most seven digits, so the digits and the space
  // fit in one 64-bit word.
  void setMask() {
    mask = length + 1 >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * (length + 1))) - 1;
    if constexpr (std::endian::native == std::endian::big) mask = __builtin_bswap64(mask);
  }

  char digits[8] = {};
  size_t length = 0;
  uint64_t mask = 0;
};

// True when head, the bytes at an entry's offset, begins with its
// "num gen obj" with single spaces and no leading zeros, as writers print
// it; number is the entry's object number. Read without bounds checks when
// the longest such header fits, since every entry of the file comes this
// way.
inline bool plainHeaderAt(std::string_view head, const NumberText& number, const xref_entry& entry) {
  if (head.size() < kPlainHeaderRoom || !number.startsAt(head.data())) return false;
  const char* p = head.data() + number.size() + 1;
  if (entry.genNum == 0) {
    if (p[0] != '0' || p[1] != ' ') return false;
    p += 2;
  } else {
    const char* genAt = p;
    if (shortNumberAt(p) != entry.genNum || p == genAt || *p++ != ' ') return false;
  }
  return p[0] == 'o' && p[1] == 'b' && p[2] == 'j' && kEndsKeyword[static_cast<unsigned char>(p[3])];
}

// Where an object that an in-use entry names must begin: the general
// header reader, for the headers that the plain check does not take.
[[gnu::noinline]] bool checkUnusualHeader(std::string_view pdf, const xref_entry& entry,
                                          MergeResult& fault) {
  if (static_cast<uint64_t>(entry.offset) >= pdf.size())
    return misplaced(entry, " (beyond the end of the file)", fault);
  size_t pos = static_cast<size_t>(entry.offset);
  int64_t num = 0, gen = 0;
  if (!readObjectHeader(pdf, pos, num, gen) || num != entry.objNum || gen != entry.genNum)
    return misplaced(entry, "", fault);
  return true;
}

// True when the object an in-use entry names begins where the entry says.
// Inline, since every entry of the file comes this way.
inline bool checkObjectHeader(std::string_view pdf, XrefChain& chain, const xref_entry& entry,
                              const NumberText& number, MergeResult& fault) {
  if (entry.offset <= 0) return true;
  if (static_cast<uint64_t>(entry.offset) < pdf.size()) {
    char buffer[kPlainHeaderRoom];
    std::string_view head =
        chain.objectReads.bytesAt(pdf, static_cast<size_t>(entry.offset), kPlainHeaderRoom, buffer);
    if (plainHeaderAt(head, number, entry)) return true;
  }
  return checkUnusualHeader(pdf, entry, fault);
}

// An entry whose number the table holds already: the older one is
// dropped, unless the held one is a free entry of the same section (a
// hybrid section's table placeholder), which gives way.
[[gnu::noinline]] bool addHeldEntry(std::string_view pdf, XrefChain& chain, const xref_entry& entry,
                                    const NumberText& number, unsigned section, MergeResult& fault) {
  if (!chain.table.isFreeFromSection(entry.objNum, section)) return true;
  if (entry.type == EntryType::InUse && !checkObjectHeader(pdf, chain, entry, number, fault))
    return false;
  chain.table.add(entry, section);
  return true;
}

// Adds entry, read in section, unless its object is already held,
// checking its header; number is its object number in digits.
inline bool addEntry(std::string_view pdf, XrefChain& chain, const xref_entry& entry,
                     const NumberText& number, unsigned section, MergeResult& fault) {
  if (chain.table.holds(entry.objNum))
    return addHeldEntry(pdf, chain, entry, number, section, fault);
  if (entry.type == EntryType::InUse && !checkObjectHeader(pdf, chain, entry, number, fault))
    return false;
  chain.table.add(entry, section);
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
// also keeps its dictionary as the section's trailer. Free entries of the
// same section give way to the stream's entries.
bool readXrefStream(std::string_view pdf, size_t offset, XrefChain& chain, TrailerCopy* copy,
                    MergeResult& fault) {
  unsigned section = static_cast<unsigned>(chain.trailer.size());
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
    chain.table.expect(static_cast<size_t>(index[k]), static_cast<size_t>(index[k + 1]));
    chain.objectReads.expectEntries(static_cast<size_t>(index[k + 1]));
    if (index[k + 1] > 0)
      chain.maxObjNum = std::max(chain.maxObjNum, static_cast<int32_t>(index[k] + index[k + 1] - 1));
    NumberText number(index[k]);
    for (int64_t i = index[k]; i < index[k] + index[k + 1]; ++i, ++row, number.next()) {
      const unsigned char* p = reinterpret_cast<const unsigned char*>(data.data()) + row * rowWidth;
      uint64_t fields[3] = {widths[0] == 0 ? 1u : 0u, 0, 0};
      for (int f = 0; f < 3; ++f) {
        if (widths[f] == 0) continue;
        fields[f] = 0;
        for (int64_t b = 0; b < widths[f]; ++b) fields[f] = (fields[f] << 8) | *p++;
      }
      if (fields[0] > 2) continue;
      uint64_t lastField = fields[0] == 2 ? kMaxStreamIndex : kMaxGeneration;
      if (fields[1] > static_cast<uint64_t>(kMaxEntryOffset) || fields[2] > lastField)
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
      if (!addEntry(pdf, chain, entry, number, section, fault)) return false;
    }
  }
  if (copy == nullptr) return true;
  return makeCopy(pdf, dict.start, dict.end, dict.start, true, *copy, fault);
}

// The value of the eight ASCII digits at p, or -1 when one of them is not
// a digit: all eight checked and combined at once in a 64-bit word.
inline int64_t eightDigits(const char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  // Each byte must be 0x30 to 0x39: its high half 3, and 3 again after
  // adding 6 to it.
  constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0;
  if (((word & kHigh) | (((word + 0x0606060606060606) & kHigh) >> 4)) != 0x3333333333333333)
    return -1;
  word -= 0x3030303030303030;
  word = word * 10 + (word >> 8);  // pairs of digits
  constexpr uint64_t kPairs = 0x000000FF000000FF;
  word = ((word & kPairs) * 0x000F424000000064 + ((word >> 16) & kPairs) * 0x0000271000000001) >> 32;
  return static_cast<int64_t>(word);
}

// The value of the count ASCII digits at p, or -1 when one of them is not
// a digit.
inline int64_t fewDigits(const char* p, size_t count) {
  int64_t value = 0;
  for (size_t k = 0; k < count; ++k) {
    unsigned digit = static_cast<unsigned char>(p[k]) - unsigned{'0'};
    if (digit > 9) return -1;
    value = value * 10 + digit;
  }
  return value;
}

// Reads one classic entry at pos, "%10d %5d" as the C library reads it,
// for the entries that are not in the usual zero-padded form.
[[gnu::noinline]] bool readUnusualEntry(std::string_view pdf, size_t pos, int64_t& offset,
                                        int64_t& gen, MergeResult& fault) {
  std::string_view record = pdf.substr(0, std::min(pdf.size(), pos + kClassicEntrySize));
  size_t p = pos;
  std::optional<int64_t> offsetRead = readDecimal(record, p, 10);
  std::optional<int64_t> genRead = offsetRead ? readDecimal(record, p, 5) : std::nullopt;
  if (!genRead || *genRead < 0 || *genRead > 99999 || pos + 17 >= pdf.size())
    return malformed(fault, "unreadable cross-reference entry", pos);
  offset = *offsetRead;
  gen = *genRead;
  return true;
}

// Reads one classic entry at pos for object i: "%10d %5d", then the type
// letter at byte 17. The usual zero-padded form is read directly.
inline bool readClassicEntry(std::string_view pdf, size_t pos, int64_t i, xref_entry& entry,
                             MergeResult& fault) {
  int64_t offset = -1, gen = -1;
  if (pos + kClassicEntrySize <= pdf.size()) {
    const char* p = pdf.data() + pos;
    int64_t high = eightDigits(p);
    int64_t low = fewDigits(p + 8, 2);
    if (high >= 0 && low >= 0 && p[10] == ' ' && p[16] == ' ') {
      offset = high * 100 + low;
      gen = std::memcmp(p + 11, "00000", 5) == 0 ? 0 : fewDigits(p + 11, 5);
    }
  }
  if (gen < 0 && !readUnusualEntry(pdf, pos, offset, gen, fault)) return false;
  entry.offset = offset;
  entry.objNum = static_cast<int32_t>(i);
  entry.genNum = static_cast<int32_t>(gen);
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
    chain.table.expect(static_cast<size_t>(*first), static_cast<size_t>(*count));
    chain.objectReads.expectEntries(static_cast<size_t>(*count));
    if (*count > 0) chain.maxObjNum = std::max(chain.maxObjNum, static_cast<int32_t>(*first + *count - 1));
    unsigned section = static_cast<unsigned>(chain.trailer.size());
    NumberText number(*first);
    for (int64_t i = *first; i < *first + *count; ++i, pos += kClassicEntrySize, number.next()) {
      xref_entry entry;
      if ((i - *first) % kEntriesNoted == 0)
        chain.sectionReads.note(pos, pos + kClassicEntrySize * std::min(kEntriesNoted, *first + *count - i));
      if (!readClassicEntry(pdf, pos, i, entry, fault) ||
          !addEntry(pdf, chain, entry, number, section, fault))
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
  if (!readClassicTable(pdf, offset, chain, copy, fault)) return false;
  const PdfValue* xrefStm = dictGet(copy.dict, "XRefStm");
  if (xrefStm == nullptr) return true;
  int64_t at = 0;
  if (!asInteger(xrefStm, 0, static_cast<int64_t>(pdf.size()) - 1, at))
    return malformed(fault, "/XRefStm outside the file", offset);
  return readXrefStream(pdf, static_cast<size_t>(at), chain, nullptr, fault);
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

// Says how many objects the newest trailer counts, so that the older
// sections of an updated file find their slots in large pages too. The
// count is only believed as far as the file could list that many entries.
void expectNewestSize(std::string_view pdf, XrefChain& chain) {
  int64_t size = 0;
  if (!asInteger(dictGet(chain.trailer.front().dict, "Size"), 0, kMaxObjectNumber + 1, size)) return;
  chain.table.expect(0, std::min(static_cast<size_t>(size), pdf.size() / kClassicEntrySize));
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
    if (chain.trailer.size() == 1) expectNewestSize(pdf, chain);
    if (!asInteger(prev, 0, INT64_MAX, offset))
      return malformed(fault, "trailer /Prev is not an offset", pdf.size());
  }
}
