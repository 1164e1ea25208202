// Stream objects of the input: where their data lies and how to decode it
// (no filter, or FlateDecode with or without a PNG predictor).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "merge_result.h"
#include "pdf_syntax.h"
#include "xref_table.h"

// A parsed "num gen obj << ... >> stream" in the input.
struct StreamObject {
  PdfValue dict;          // the stream dictionary (spans are input positions)
  size_t dataStart = 0;   // first data byte in the input
  size_t dataLength = 0;  // /Length, checked against the input's end
};

// Reads the stream object at position pos, expected to be object num gen
// (any object when num is negative).
// An indirect /Length is resolved through table.
bool readStreamObject(std::string_view pdf, size_t pos, int64_t num, int64_t gen,
                      const XrefTable& table, StreamObject& stream, MergeResult& fault);

// Decodes the stream's data into out.
bool decodeStream(std::string_view pdf, const StreamObject& stream, std::string& out,
                  MergeResult& fault);
