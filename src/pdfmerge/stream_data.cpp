#include "stream_data.h"

#include <zlib.h>

#include <cstdlib>

#include "merge_fault.h"
#include "pdf_bytes.h"

namespace {

// Decoded data beyond this is taken as a decompression bomb.
constexpr size_t kMaxDecodedSize = size_t{1} << 30;

// The value of an indirect /Length: object num gen holding an integer.
bool resolveLength(std::string_view pdf, const PdfValue& ref, const XrefTable& table,
                   int64_t& length, MergeResult& fault) {
  std::optional<xref_entry> entry = table.find(static_cast<int32_t>(ref.integer),
                                               static_cast<int32_t>(ref.generation));
  if (ref.integer > kMaxObjectNumber || !entry || entry->objectP < 0)
    return malformed(fault, "stream /Length refers to an object that is not in the file",
                     ref.start);
  size_t pos = static_cast<size_t>(entry->objectP);
  int64_t num = 0, gen = 0;
  PdfValue value;
  SyntaxError error;
  if (!readObjectHeader(pdf, pos, num, gen) || !parsePdfObject(pdf, pos, value, error) ||
      !asInteger(&value, 0, INT64_C(1) << 40, length))
    return malformed(fault, "stream /Length object is not an integer", entry->objectP);
  return true;
}

// Inflates zlib data, bounded in output size.
bool inflateData(std::string_view in, std::string& out, size_t at, MergeResult& fault) {
  if (in.size() > UINT32_MAX) return malformed(fault, "compressed stream too long", at);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return malformed(fault, "zlib could not start", at);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  out.clear();
  int rc = Z_OK;
  while (rc == Z_OK) {
    if (out.size() >= kMaxDecodedSize) {
      inflateEnd(&z);
      return malformed(fault, "compressed stream decodes to more than 1 GiB", at);
    }
    size_t had = out.size();
    out.resize(had + 65536);
    z.next_out = reinterpret_cast<Bytef*>(out.data() + had);
    z.avail_out = 65536;
    rc = inflate(&z, Z_NO_FLUSH);
    out.resize(had + 65536 - z.avail_out);
    if (rc == Z_BUF_ERROR && z.avail_in == 0) rc = Z_STREAM_END;
  }
  inflateEnd(&z);
  if (rc != Z_STREAM_END) return malformed(fault, "compressed stream data is damaged", at);
  return true;
}

// The Paeth predictor as PNG defines it.
unsigned char paeth(int a, int b, int c) {
  int p = a + b - c;
  int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<unsigned char>(a);
  return static_cast<unsigned char>(pb <= pc ? b : c);
}

// Undoes PNG row filters in place; each row is a filter byte and rowBytes.
bool undoPng(std::string& data, size_t rowBytes, size_t bpp, size_t at, MergeResult& fault) {
  std::string out;
  std::string prior(rowBytes, '\0');
  size_t rows = data.size() / (rowBytes + 1);
  out.reserve(rows * rowBytes);
  for (size_t r = 0; r < rows; ++r) {
    const unsigned char* in = reinterpret_cast<const unsigned char*>(data.data()) + r * (rowBytes + 1);
    unsigned char type = in[0];
    std::string row(rowBytes, '\0');
    for (size_t i = 0; i < rowBytes; ++i) {
      int x = in[1 + i];
      int a = i >= bpp ? static_cast<unsigned char>(row[i - bpp]) : 0;
      int b = static_cast<unsigned char>(prior[i]);
      int c = i >= bpp ? static_cast<unsigned char>(prior[i - bpp]) : 0;
      switch (type) {
        case 0: break;
        case 1: x += a; break;
        case 2: x += b; break;
        case 3: x += (a + b) / 2; break;
        case 4: x += paeth(a, b, c); break;
        default: return malformed(fault, "unknown PNG predictor row type", at);
      }
      row[i] = static_cast<char>(x & 0xff);
    }
    out += row;
    prior.swap(row);
  }
  data.swap(out);
  return true;
}

// The single entry of a filter or parameter array, or the value itself.
const PdfValue* singleEntry(const PdfValue* value) {
  if (value != nullptr && value->kind == PdfKind::Array)
    return value->items.size() == 1 ? &value->items[0] : nullptr;
  return value;
}

// Applies /DecodeParms of a FlateDecode stream.
bool undoPredictor(const PdfValue& dict, std::string& data, size_t at, MergeResult& fault) {
  const PdfValue* parms = singleEntry(dictGet(dict, "DecodeParms"));
  if (parms == nullptr || parms->kind == PdfKind::Null) return true;
  if (parms->kind != PdfKind::Dictionary) return malformed(fault, "bad /DecodeParms", at);
  int64_t predictor = 1, columns = 1, colors = 1, bits = 8;
  if (dictGet(*parms, "Predictor") && !asInteger(dictGet(*parms, "Predictor"), 1, 15, predictor))
    return malformed(fault, "bad /Predictor", at);
  if (predictor == 1) return true;
  if (predictor < 10) return malformed(fault, "unsupported /Predictor", at);
  if ((dictGet(*parms, "Columns") && !asInteger(dictGet(*parms, "Columns"), 1, 1 << 20, columns)) ||
      (dictGet(*parms, "Colors") && !asInteger(dictGet(*parms, "Colors"), 1, 32, colors)) ||
      (dictGet(*parms, "BitsPerComponent") &&
       !asInteger(dictGet(*parms, "BitsPerComponent"), 1, 16, bits)))
    return malformed(fault, "bad predictor parameters", at);
  size_t bitsPerPixel = static_cast<size_t>(colors * bits);
  size_t rowBytes = (bitsPerPixel * static_cast<size_t>(columns) + 7) / 8;
  return undoPng(data, rowBytes, (bitsPerPixel + 7) / 8, at, fault);
}

}  // namespace

// Header, dictionary, "stream" keyword and the data's extent.
bool readStreamObject(std::string_view pdf, size_t pos, int64_t num, int64_t gen,
                      const XrefTable& table, StreamObject& stream, MergeResult& fault) {
  size_t at = pos;
  int64_t gotNum = 0, gotGen = 0;
  if (!readObjectHeader(pdf, pos, gotNum, gotGen) || (num >= 0 && (gotNum != num || gotGen != gen)))
    return malformed(fault, "object " + std::to_string(num) + " " + std::to_string(gen) +
                                " is not where its cross-reference entry says",
                     at);
  SyntaxError error;
  if (!parsePdfObject(pdf, pos, stream.dict, error)) return malformed(fault, error.what, error.offset);
  if (stream.dict.kind != PdfKind::Dictionary)
    return malformed(fault, "stream object without a dictionary", stream.dict.start);
  pos = skipPdfSpace(pdf, pos);
  if (pdf.compare(pos, 6, "stream") != 0 || pdf.size() - pos < 6)
    return malformed(fault, "missing \"stream\" keyword", pos);
  pos += 6;
  if (pos < pdf.size() && pdf[pos] == '\r') ++pos;
  if (pos < pdf.size() && pdf[pos] == '\n') ++pos;
  int64_t length = 0;
  const PdfValue* lengthValue = dictGet(stream.dict, "Length");
  if (lengthValue != nullptr && lengthValue->kind == PdfKind::Reference) {
    if (!resolveLength(pdf, *lengthValue, table, length, fault)) return false;
  } else if (!asInteger(lengthValue, 0, INT64_C(1) << 40, length)) {
    return malformed(fault, "stream without a usable /Length", stream.dict.start);
  }
  if (static_cast<uint64_t>(length) > pdf.size() - pos)
    return malformed(fault, "stream data runs past the end of the file", pos);
  stream.dataStart = pos;
  stream.dataLength = static_cast<size_t>(length);
  return true;
}

// No filter, or FlateDecode with an optional PNG predictor.
bool decodeStream(std::string_view pdf, const StreamObject& stream, std::string& out,
                  MergeResult& fault) {
  std::string_view data = pdf.substr(stream.dataStart, stream.dataLength);
  const PdfValue* filter = singleEntry(dictGet(stream.dict, "Filter"));
  if (filter == nullptr || filter->kind == PdfKind::Null) {
    out.assign(data);
    return true;
  }
  if (!isName(filter, "FlateDecode"))
    return malformed(fault, "stream filter other than FlateDecode", stream.dict.start);
  if (!inflateData(data, out, stream.dataStart, fault)) return false;
  return undoPredictor(stream.dict, out, stream.dataStart, fault);
}
