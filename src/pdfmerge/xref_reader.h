// Reads a PDF's cross-reference chain: the section named by the last
// "startxref" and every older one reached through /Prev, classic tables,
// cross-reference streams and hybrid files alike, into one table that keeps
// the newest entry of each object.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "merge_result.h"
#include "mapped_file.h"
#include "pdf_syntax.h"
#include "xref_table.h"

// Sections beyond this many end the reading; a /Prev loop ends the same way.
constexpr size_t kMaxTrailers = 19;

// One section's trailer dictionary.
struct TrailerCopy {
  // A classic section: from "trailer" through the byte after the closing
  // ">>". A cross-reference stream: its dictionary.
  std::string text;
  PdfValue dict;          // parsed from text; spans are positions in text
  bool isStream = false;  // the section is a cross-reference stream
  size_t fileOffset = 0;  // where text begins in the input
};

struct XrefChain {
  XrefTable table;
  int32_t maxObjNum = 0;             // highest object number of any entry read
  std::vector<TrailerCopy> trailer;  // newest first
  int64_t firstXrefOffset = -1;      // the input's "startxref" value
  // What reading visits: the sections in order, and the objects that the
  // entries name. Two windows, so that each stays a short stretch.
  ResidentWindow sectionReads{nullptr};
  ResidentWindow objectReads{nullptr};
};

// Reads the whole chain of pdf into chain. Fills fault and returns false
// when the data cannot be read within pdf. When pdf is the mapping of file,
// the pages that reading has done with go back as it moves on.
bool readXrefChain(std::string_view pdf, XrefChain& chain, MergeResult& fault,
                   const MappedFile* file = nullptr);
