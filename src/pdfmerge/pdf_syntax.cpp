#include "pdf_syntax.h"

#include "pdf_bytes.h"

namespace {

// Nesting deeper than this is taken as hostile input rather than a document.
constexpr int kMaxDepth = 64;

// True when the keyword word starts at pos and is followed by a delimiter,
// white space or the end of buf.
bool keywordAt(std::string_view buf, size_t pos, std::string_view word) {
  if (pos > buf.size() || buf.size() - pos < word.size()) return false;
  if (buf.compare(pos, word.size(), word) != 0) return false;
  size_t after = pos + word.size();
  return after == buf.size() || isPdfSpace(buf[after]) || isPdfDelimiter(buf[after]);
}

// Value of a hex digit, or -1.
int hexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Records a failure at offset.
bool fail(SyntaxError& error, size_t offset, std::string what) {
  error.offset = offset;
  error.what = std::move(what);
  return false;
}

bool parseValue(std::string_view buf, size_t& pos, PdfValue& value, SyntaxError& error, int depth);

// Reads a name token after its slash.
void parseName(std::string_view buf, size_t& pos, PdfValue& value) {
  value.kind = PdfKind::Name;
  ++pos;
  while (pos < buf.size() && !isPdfSpace(buf[pos]) && !isPdfDelimiter(buf[pos])) {
    if (buf[pos] == '#' && pos + 2 < buf.size() && hexValue(buf[pos + 1]) >= 0 &&
        hexValue(buf[pos + 2]) >= 0) {
      value.name += static_cast<char>(hexValue(buf[pos + 1]) * 16 + hexValue(buf[pos + 2]));
      pos += 3;
    } else {
      value.name += buf[pos++];
    }
  }
}

// Skips a literal string, with its nested parentheses and escapes.
bool parseLiteralString(std::string_view buf, size_t& pos, PdfValue& value, SyntaxError& error) {
  value.kind = PdfKind::String;
  size_t open = pos++;
  int nesting = 1;
  while (pos < buf.size()) {
    char c = buf[pos++];
    if (c == '\\') {
      ++pos;
    } else if (c == '(') {
      ++nesting;
    } else if (c == ')' && --nesting == 0) {
      return true;
    }
  }
  return fail(error, open, "string that never closes");
}

// Skips a hex string.
bool parseHexString(std::string_view buf, size_t& pos, PdfValue& value, SyntaxError& error) {
  value.kind = PdfKind::String;
  size_t open = pos++;
  while (pos < buf.size()) {
    unsigned char c = buf[pos++];
    if (c == '>') return true;
    if (hexValue(c) < 0 && !isPdfSpace(c)) return fail(error, pos - 1, "bad byte in hex string");
  }
  return fail(error, open, "hex string that never closes");
}

// Reads a number; an integer followed by "gen R" becomes a Reference.
bool parseNumber(std::string_view buf, size_t& pos, PdfValue& value, SyntaxError& error) {
  size_t p = pos;
  if (buf[p] == '+' || buf[p] == '-') ++p;
  size_t digits = p;
  while (p < buf.size() && buf[p] >= '0' && buf[p] <= '9') ++p;
  bool real = p < buf.size() && buf[p] == '.';
  if (real) {
    ++p;
    while (p < buf.size() && buf[p] >= '0' && buf[p] <= '9') ++p;
  }
  if (p == digits || (real && p == digits + 1 && buf[digits] == '.'))
    return fail(error, pos, "number without digits");
  if (real) {
    value.kind = PdfKind::Real;
    pos = p;
    return true;
  }
  size_t numberPos = pos;
  std::optional<int64_t> number = readDecimal(buf, numberPos);
  if (!number) return fail(error, pos, "number out of range");
  value.kind = PdfKind::Integer;
  value.integer = *number;
  pos = p;
  size_t look = skipPdfSpace(buf, p);
  if (look >= buf.size() || buf[look] < '0' || buf[look] > '9' || *number < 0) return true;
  std::optional<int64_t> gen = readDecimal(buf, look);
  if (!gen) return true;
  look = skipPdfSpace(buf, look);
  if (look < buf.size() && keywordAt(buf, look, "R")) {
    value.kind = PdfKind::Reference;
    value.generation = *gen;
    pos = look + 1;
  }
  return true;
}

// Reads an array's elements up to "]".
bool parseArray(std::string_view buf, size_t& pos, PdfValue& value, SyntaxError& error, int depth) {
  value.kind = PdfKind::Array;
  size_t open = pos++;
  for (;;) {
    pos = skipPdfSpace(buf, pos);
    if (pos >= buf.size()) return fail(error, open, "array that never closes");
    if (buf[pos] == ']') {
      ++pos;
      return true;
    }
    PdfValue item;
    if (!parseValue(buf, pos, item, error, depth + 1)) return false;
    value.items.push_back(std::move(item));
  }
}

// Reads a dictionary's entries up to ">>".
bool parseDictionary(std::string_view buf, size_t& pos, PdfValue& value, SyntaxError& error,
                     int depth) {
  value.kind = PdfKind::Dictionary;
  size_t open = pos;
  pos += 2;
  for (;;) {
    pos = skipPdfSpace(buf, pos);
    if (pos >= buf.size()) return fail(error, open, "dictionary that never closes");
    if (buf.compare(pos, 2, ">>") == 0) {
      pos += 2;
      return true;
    }
    if (buf[pos] != '/') return fail(error, pos, "dictionary key that is not a name");
    PdfValue key;
    size_t keyStart = pos;
    parseName(buf, pos, key);
    pos = skipPdfSpace(buf, pos);
    if (pos >= buf.size()) return fail(error, open, "dictionary that never closes");
    PdfValue item;
    if (!parseValue(buf, pos, item, error, depth + 1)) return false;
    value.keys.push_back(std::move(key.name));
    value.keyStarts.push_back(keyStart);
    value.items.push_back(std::move(item));
  }
}

// Reads any value at pos, which is not white space.
bool parseValue(std::string_view buf, size_t& pos, PdfValue& value, SyntaxError& error, int depth) {
  if (depth > kMaxDepth) return fail(error, pos, "objects nested too deeply");
  value.start = pos;
  unsigned char c = buf[pos];
  bool ok = true;
  if (c == '/') {
    parseName(buf, pos, value);
  } else if (c == '(') {
    ok = parseLiteralString(buf, pos, value, error);
  } else if (c == '<' && buf.compare(pos, 2, "<<") == 0) {
    ok = parseDictionary(buf, pos, value, error, depth);
  } else if (c == '<') {
    ok = parseHexString(buf, pos, value, error);
  } else if (c == '[') {
    ok = parseArray(buf, pos, value, error, depth);
  } else if (c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9')) {
    ok = parseNumber(buf, pos, value, error);
  } else if (keywordAt(buf, pos, "true") || keywordAt(buf, pos, "false")) {
    value.kind = PdfKind::Boolean;
    pos += c == 't' ? 4 : 5;
  } else if (keywordAt(buf, pos, "null")) {
    value.kind = PdfKind::Null;
    pos += 4;
  } else {
    return fail(error, pos, "unexpected byte in object");
  }
  value.end = pos;
  return ok;
}

}  // namespace

// Skips white space and comments.
size_t skipPdfSpace(std::string_view buf, size_t pos) {
  while (pos < buf.size()) {
    if (isPdfSpace(buf[pos])) {
      ++pos;
    } else if (buf[pos] == '%') {
      while (pos < buf.size() && buf[pos] != '\n' && buf[pos] != '\r') ++pos;
    } else {
      break;
    }
  }
  return pos;
}

// Parses one object after white space.
bool parsePdfObject(std::string_view buf, size_t& pos, PdfValue& value, SyntaxError& error) {
  size_t p = skipPdfSpace(buf, pos);
  if (p >= buf.size()) return fail(error, p, "end of data where an object should be");
  if (!parseValue(buf, p, value, error, 0)) return false;
  pos = p;
  return true;
}

// First entry named key.
const PdfValue* dictGet(const PdfValue& dict, std::string_view key) {
  if (dict.kind != PdfKind::Dictionary) return nullptr;
  for (size_t i = 0; i < dict.keys.size(); ++i)
    if (dict.keys[i] == key) return &dict.items[i];
  return nullptr;
}

// Integer within bounds.
bool asInteger(const PdfValue* value, int64_t low, int64_t high, int64_t& out) {
  if (value == nullptr || value->kind != PdfKind::Integer) return false;
  if (value->integer < low || value->integer > high) return false;
  out = value->integer;
  return true;
}

// Name comparison.
bool isName(const PdfValue* value, std::string_view name) {
  return value != nullptr && value->kind == PdfKind::Name && value->name == name;
}

// Reads up to ten digits at p; false when there is none.
bool readShortNumber(std::string_view buf, size_t& p, int64_t& value) {
  size_t start = p;
  value = 0;
  while (p < buf.size() && p - start < 10 && buf[p] >= '0' && buf[p] <= '9')
    value = value * 10 + (buf[p++] - '0');
  return p > start;
}

// The header as nearly every writer puts it: "num gen obj" with single
// spaces, read without the general scanner since every entry is checked.
bool readPlainHeader(std::string_view buf, size_t& pos, int64_t& num, int64_t& gen) {
  size_t p = pos;
  if (!readShortNumber(buf, p, num) || p >= buf.size() || buf[p++] != ' ') return false;
  if (!readShortNumber(buf, p, gen) || p >= buf.size() || buf[p++] != ' ') return false;
  if (!keywordAt(buf, p, "obj")) return false;
  pos = p + 3;
  return true;
}

// "num gen obj" with PDF white space between the parts.
bool readObjectHeader(std::string_view buf, size_t& pos, int64_t& num, int64_t& gen) {
  if (readPlainHeader(buf, pos, num, gen)) return true;
  size_t p = skipPdfSpace(buf, pos);
  std::optional<int64_t> n = readDecimal(buf, p);
  if (!n) return false;
  p = skipPdfSpace(buf, p);
  std::optional<int64_t> g = readDecimal(buf, p);
  if (!g) return false;
  p = skipPdfSpace(buf, p);
  if (!keywordAt(buf, p, "obj")) return false;
  num = *n;
  gen = *g;
  pos = p + 3;
  return true;
}
