// A reader of PDF object syntax (ISO 32000-1 7.3) for the few dictionaries
// the merge must understand: trailers, stream dictionaries, the catalog and
// the encryption dictionary. Values keep their byte spans so that entries
// can be copied into the update unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class PdfKind { Null, Boolean, Integer, Real, Name, String, Array, Dictionary, Reference };

struct PdfValue {
  PdfKind kind = PdfKind::Null;
  size_t start = 0;  // first byte of the value in the parsed buffer
  size_t end = 0;    // one past its last byte
  int64_t integer = 0;     // Integer value; object number of a Reference
  int64_t generation = 0;  // generation of a Reference
  std::string name;        // Name without its slash, # escapes decoded
  std::vector<PdfValue> items;     // Array elements, Dictionary values
  std::vector<std::string> keys;   // Dictionary keys, one per value
  std::vector<size_t> keyStarts;   // position of each key's slash
};

// Where a parse stopped and why.
struct SyntaxError {
  size_t offset = 0;
  std::string what;
};

// Skips PDF white space and comments from pos.
size_t skipPdfSpace(std::string_view buf, size_t pos);

// Parses one object starting at pos (after white space). On success fills
// value, moves pos past it and returns true; otherwise fills error.
bool parsePdfObject(std::string_view buf, size_t& pos, PdfValue& value, SyntaxError& error);

// The value of key in a dictionary, or nullptr; the first entry wins.
const PdfValue* dictGet(const PdfValue& dict, std::string_view key);

// True when value is an Integer that fits in [low, high]; stores it.
bool asInteger(const PdfValue* value, int64_t low, int64_t high, int64_t& out);

// True when value is the Name name.
bool isName(const PdfValue* value, std::string_view name);

// Reads an object header "num gen obj" at pos (after white space); on
// success pos moves past "obj".
bool readObjectHeader(std::string_view buf, size_t& pos, int64_t& num, int64_t& gen);
