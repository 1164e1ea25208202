#include "update_writer.h"

#include <optional>

#include <algorithm>
#include <charconv>
#include <set>
#include <utility>
#include <vector>

#include "merge_fault.h"
#include "pdf_bytes.h"

namespace {

// Keys the update writes itself, so the old values never travel with it.
// /XRefStm describes only the section it belongs to.
bool isRewrittenKey(std::string_view key) {
  return key == "Size" || key == "Prev" || key == "Root" || key == "XRefStm";
}

// Keys that describe a cross-reference stream itself rather than the file.
bool isStreamOwnKey(std::string_view key) {
  static const std::set<std::string_view> keys = {"Type", "Size", "Index", "W", "Prev",
                                                  "Length", "Filter", "DecodeParms", "Root",
                                                  "XRefStm", "F", "FFilter", "FDecodeParms",
                                                  "DL"};
  return keys.count(key) != 0;
}

// Decimal text of n.
std::string decimal(int64_t n) {
  char digits[24];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, n);
  return std::string(digits, end);
}

// Decimal text of n, zero-padded to ten digits.
std::string tenDigits(int64_t n) {
  std::string text = decimal(n);
  return text.size() < 10 ? std::string(10 - text.size(), '0') + text : text;
}

// The catalog with "\n/QuorlanJobTicket num gen R\n" after its first "<<",
// which the caller has checked is there.
// Where the catalog's dictionary begins in its text, when the text holds one
// whole dictionary: a catalog that never closes would reach the output as
// one that no reader can use.
std::optional<size_t> catalogDictionaryStart(const CatalogInfo& catalog) {
  size_t pos = 0;
  int64_t num = 0, gen = 0;
  if (!catalog.inObjectStream && !readObjectHeader(catalog.text, pos, num, gen))
    return std::nullopt;
  PdfValue value;
  SyntaxError error;
  if (!parsePdfObject(catalog.text, pos, value, error) || value.kind != PdfKind::Dictionary)
    return std::nullopt;
  return value.start;
}

void writeCatalog(OutputFile& out, const UpdatePlan& plan) {
  const CatalogInfo& catalog = *plan.catalog;
  const size_t open = *catalogDictionaryStart(catalog) + 2;
  if (catalog.inObjectStream)
    out.write(decimal(catalog.rootObjNum) + " " + decimal(catalog.rootGenNum) + " obj\n");
  out.write(catalog.text.substr(0, open));
  out.write("\n" + std::string(kTicketKey) + " " + decimal(plan.jobTicketObjNum) + " " +
            decimal(plan.jobTicketGenNum) + " R\n");
  if (catalog.staleKeyStart >= open && catalog.staleKeyStart != kNotFound) {
    out.write(catalog.text.substr(open, catalog.staleKeyStart - open));
    out.write(catalog.text.substr(catalog.staleKeyEnd));
  } else {
    out.write(catalog.text.substr(open));
  }
  out.write(catalog.inObjectStream ? "\nendobj\n" : "\n");
}

// The ticket stream object.
void writeTicket(OutputFile& out, const UpdatePlan& plan) {
  out.write(decimal(plan.jobTicketObjNum) + " " + decimal(plan.jobTicketGenNum) + " obj\n");
  out.write("<< /Type /Metadata /Subtype /XML /Length " + decimal(plan.ticketSize));
  if (plan.crypt == TicketCrypt::Identity)
    out.write(" /Filter [/Crypt] /DecodeParms [<< /Type /CryptFilterDecodeParms /Name /Identity >>]");
  out.write(" >>\nstream\n");
  if (plan.ticketFd >= 0)
    out.copyFrom(plan.ticketFd, plan.ticketSize);
  else
    out.write(plan.ticketBytes);
  out.write("endstream\nendobj\n");
}

// Index of the first top-level key named key, or -1.
int keyIndex(const PdfValue& dict, std::string_view key) {
  for (size_t i = 0; i < dict.keys.size(); ++i)
    if (dict.keys[i] == key) return static_cast<int>(i);
  return -1;
}

// The first top-level position at or after pos that is not inside an entry.
size_t outsideEntries(const PdfValue& dict, size_t pos) {
  for (size_t i = 0; i < dict.keys.size(); ++i)
    if (dict.keyStarts[i] < pos && pos < dict.items[i].end) return dict.items[i].end;
  return pos;
}

// The kept spans of the trailer text: from its start to the first of /Size
// and /Prev, and from the line after that key to the second one.
std::vector<std::pair<size_t, size_t>> keptSpans(const TrailerCopy& newest, size_t sizeAt,
                                                 size_t prevAt) {
  const std::string& text = newest.text;
  size_t firstKey = std::min(sizeAt, prevAt);
  size_t secondKey = std::max(sizeAt, prevAt);
  std::vector<std::pair<size_t, size_t>> spans = {{0, firstKey}};
  size_t lineAfter = findNextLine(text, firstKey);
  if (lineAfter == kNotFound) lineAfter = text.size();
  lineAfter = outsideEntries(newest.dict, lineAfter);
  if (secondKey != kNotFound && secondKey > lineAfter) spans.emplace_back(lineAfter, secondKey);
  return spans;
}

// The section for a classic table: "xref", the subsections and the trailer,
// which begins with trailer, the kept text.
void writeClassicSection(OutputFile& out, const UpdatePlan& plan, const std::string& trailer,
                         int64_t rootOffset, int64_t ticketOffset) {
  const CatalogInfo& catalog = *plan.catalog;
  int64_t xrefOffset = out.position();
  out.write("xref\n");
  if (plan.rewriteCatalog)
    out.write(decimal(catalog.rootObjNum) + " 1\n" + tenDigits(rootOffset) + " 00000 n \n");
  out.write(decimal(plan.jobTicketObjNum) + " 1\n" + tenDigits(ticketOffset) + " 00000 n \n");
  out.write(trailer);
  out.write("/Size " + decimal(plan.maxObjNum + 1) + "\n");
  out.write("/Root " + decimal(catalog.rootObjNum) + " " + decimal(catalog.rootGenNum) + " R\n");
  out.write("/Prev " + decimal(plan.firstXrefOffset) + " >>\n");
  out.write("startxref\n" + decimal(xrefOffset) + "\n%%EOF\n");
}

// Number of bytes that hold n, at least one.
int byteWidth(uint64_t n) {
  int width = 1;
  while (width < 8 && (n >> (8 * width)) != 0) ++width;
  return width;
}

// Appends n as width big-endian bytes.
void appendBigEndian(std::string& data, uint64_t n, int width) {
  for (int shift = 8 * (width - 1); shift >= 0; shift -= 8)
    data += static_cast<char>((n >> shift) & 0xff);
}

// The section for a cross-reference stream: one object holding the entries
// of the catalog, the ticket and itself, with the file's other keys.
void writeStreamSection(OutputFile& out, const XrefChain& chain, const UpdatePlan& plan,
                        int64_t rootOffset, int64_t ticketOffset) {
  const CatalogInfo& catalog = *plan.catalog;
  int32_t selfNum = plan.maxObjNum + 1;
  int64_t selfOffset = out.position();
  struct Row { int32_t num; int64_t offset; int32_t gen; };
  std::vector<Row> rows = {{plan.jobTicketObjNum, ticketOffset, plan.jobTicketGenNum},
                           {selfNum, selfOffset, 0}};
  if (plan.rewriteCatalog) rows.push_back({catalog.rootObjNum, rootOffset, catalog.rootGenNum});
  std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.num < b.num; });
  int width = byteWidth(static_cast<uint64_t>(selfOffset));
  std::string data, index;
  for (const Row& row : rows) {
    if (!index.empty()) index += ' ';
    index += decimal(row.num);
    index += " 1";
    data += '\x01';
    appendBigEndian(data, static_cast<uint64_t>(row.offset), width);
    appendBigEndian(data, static_cast<uint64_t>(row.gen), 2);
  }
  const TrailerCopy& newest = chain.trailer.front();
  std::string carried;
  std::set<std::string> written;
  for (size_t i = 0; i < newest.dict.keys.size(); ++i) {
    if (isStreamOwnKey(newest.dict.keys[i]) || !written.insert(newest.dict.keys[i]).second) continue;
    carried += ' ';
    carried.append(newest.text, newest.dict.keyStarts[i],
                   newest.dict.items[i].end - newest.dict.keyStarts[i]);
  }
  out.write(decimal(selfNum) + " 0 obj\n<< /Type /XRef /Size " + decimal(selfNum + 1) +
            " /Index [" + index + "] /W [1 " + decimal(width) + " 2] /Root " +
            decimal(catalog.rootObjNum) + " " + decimal(catalog.rootGenNum) + " R /Prev " +
            decimal(plan.firstXrefOffset) + carried + " /Length " +
            decimal(static_cast<int64_t>(data.size())) + " >>\nstream\n");
  out.write(data);
  out.write("\nendstream\nendobj\n");
  out.write("startxref\n" + decimal(selfOffset) + "\n%%EOF\n");
}


}  // namespace

// Kept text, minus keys written again, plus the entries the kept text lost.
bool classicTrailerText(const TrailerCopy& newest, std::string& text, MergeResult& fault) {
  const PdfValue& dict = newest.dict;
  int sizeKey = keyIndex(dict, "Size");
  if (sizeKey < 0) return malformed(fault, "newest trailer without /Size", newest.fileOffset);
  int prevKey = keyIndex(dict, "Prev");
  size_t sizeAt = dict.keyStarts[static_cast<size_t>(sizeKey)];
  size_t prevAt = prevKey < 0 ? kNotFound : dict.keyStarts[static_cast<size_t>(prevKey)];
  std::set<std::string> written;
  text.clear();
  for (auto [from, to] : keptSpans(newest, sizeAt, prevAt)) {
    size_t pos = from;
    for (size_t i = 0; i < dict.keys.size(); ++i) {
      size_t keyAt = dict.keyStarts[i];
      size_t valueEnd = dict.items[i].end;
      if (keyAt < from || valueEnd > to) continue;
      if (!isRewrittenKey(dict.keys[i]) && written.insert(dict.keys[i]).second) continue;
      text.append(newest.text, pos, keyAt - pos);
      pos = valueEnd;
      while (pos < to && isPdfSpace(newest.text[pos])) ++pos;
    }
    text.append(newest.text, pos, to - pos);
  }
  for (size_t i = 0; i < dict.keys.size(); ++i) {
    if (isRewrittenKey(dict.keys[i]) || !written.insert(dict.keys[i]).second) continue;
    text.append(newest.text, dict.keyStarts[i], dict.items[i].end - dict.keyStarts[i]);
    text += '\n';
  }
  return true;
}

// Catalog, ticket, then the section in the newest section's style. Every
// check comes before the first byte is written.
bool writeUpdate(OutputFile& out, const XrefChain& chain, const UpdatePlan& plan,
                 MergeResult& fault) {
  bool classic = !chain.trailer.front().isStream;
  std::string trailer;
  if (classic && !classicTrailerText(chain.trailer.front(), trailer, fault)) return false;
  if (plan.rewriteCatalog && !catalogDictionaryStart(*plan.catalog))
    return failWith(fault, kMergeBadRoot, "\nError: Invalid Root dictionary.\n");
  int64_t rootOffset = out.position();
  if (plan.rewriteCatalog) writeCatalog(out, plan);
  int64_t ticketOffset = out.position();
  writeTicket(out, plan);
  if (classic) {
    writeClassicSection(out, plan, trailer, rootOffset, ticketOffset);
  } else {
    writeStreamSection(out, chain, plan, rootOffset, ticketOffset);
  }
  return true;
}
