// Builds small PDFs for the merge tests: objects, classic sections and
// cross-reference streams (optionally with PNG predictors), so that every
// offset in a test file is known.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "insertqfjt_command.h"

class PdfBuilder {
 public:
  explicit PdfBuilder(std::string header = "%PDF-1.4\n");

  // Appends "num gen obj\n<body>\nendobj\n"; gives its offset.
  int64_t addObject(int num, const std::string& body, int gen = 0);
  // A classic section for the objects added since the last section (object
  // 0 as the free head in the first one), then "trailer\n" and dict, then
  // "\nstartxref". entryEnd is the two bytes that end each entry.
  int64_t classicSection(const std::string& dict, const std::string& entryEnd = " \n");
  // A cross-reference stream, object num, for the objects added since the
  // last section and itself. extra goes into its dictionary. pngRowType
  // 0-4 encodes the rows with that PNG predictor, -1 leaves them plain.
  int64_t streamSection(int num, const std::string& extra, int pngRowType = -1,
                        bool compress = true);
  // Appends "startxref\n<offset>\n%%EOF\n".
  void finish(int64_t xrefOffset);

  std::string bytes;
  std::map<int, int64_t> offsets;  // every object added, by number

 private:
  std::vector<int> pending;
  bool firstSection = true;
};

// An offset as a classic table writes it: ten digits, zero-padded.
std::string tenDigits(int64_t n);

// zlib compression of data.
std::string deflateBytes(const std::string& data);

// A fresh folder, removed with its content at the end of the test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  std::string operator/(const std::string& name) const { return path + "/" + name; }
  std::string path;
};

std::string readWhole(const std::string& path);
void writeWhole(const std::string& path, const std::string& bytes);

// Combine mode through the library.
MergeResult mergeTicket(const std::string& in, const std::string& out, const std::string& ticket);
// Extract mode into a file; gives the file's bytes (empty when none).
std::string extractTicket(const std::string& in, const std::string& scratch, MergeResult& result);

// Runs a shell command; gives its exit status and combined output.
int shell(const std::string& command, std::string* output = nullptr);
