// Reads single objects of a PDF through its cross-reference table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "merge_result.h"
#include "pdf_syntax.h"
#include "xref_reader.h"

// The value of the compressed object entry names, taken from its object
// stream, into out. Fills fault and returns false when it cannot be read
// within the file.
bool readCompressedObject(std::string_view pdf, const XrefChain& chain, const xref_entry& entry,
                          std::string& out, MergeResult& fault);

// The dictionary of object objNum, ordinary or compressed. Its spans are
// positions in pdf, or in storage for a compressed object. False when the
// object is missing or not a dictionary.
bool readObjectDictionary(std::string_view pdf, const XrefChain& chain, int32_t objNum,
                          std::string& storage, PdfValue& dict);
