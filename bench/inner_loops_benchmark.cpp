// The inner loops that the end-to-end benchmarks depend on: reading the
// cross-reference entries of a PDF held in memory (cost per entry, which
// should stay flat from 10,000 to 1,000,000 entries), and encoding a cover
// sheet row as hexadecimal next to a plain loop doing the same.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "postscript_image.h"
#include "xref_reader.h"

namespace {

// Pixels in a row of a letter page at 300 dpi.
constexpr size_t kLetterRowPixels = 2550;

// A classic PDF of count small objects, the table listing each of them.
std::string classicPdf(int count) {
  std::string pdf = "%PDF-1.4\n";
  std::string table = "xref\n0 " + std::to_string(count + 1) + "\n0000000000 65535 f \n";
  char line[64];
  for (int n = 1; n <= count; ++n) {
    snprintf(line, sizeof line, "%010zu 00000 n \n", pdf.size());
    table += line;
    pdf += std::to_string(n) + " 0 obj\n" + (n == 1 ? "<< /Type /Catalog >>" : "<< /N 1 >>") +
           "\nendobj\n";
  }
  size_t xref = pdf.size();
  pdf += table + "trailer\n<< /Size " + std::to_string(count + 1) +
         " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

// Reads the whole chain: entries parsed, headers checked, table built.
void BM_ReadXrefEntries(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::string pdf = classicPdf(count);
  for (auto _ : state) {
    XrefChain chain;
    MergeResult fault;
    if (!readXrefChain(pdf, chain, fault)) state.SkipWithError(fault.message.c_str());
    benchmark::DoNotOptimize(chain.table.size());
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ReadXrefEntries)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A row of grey samples like a cover sheet's: mostly white, some text.
std::vector<uint8_t> greyRow() {
  std::vector<uint8_t> row(kLetterRowPixels, 0xFF);
  for (size_t i = 0; i < row.size(); i += 7) row[i] = static_cast<uint8_t>(i);
  return row;
}

// The cover sheet's encoder, one row per call.
void BM_HexRowLine(benchmark::State& state) {
  const std::vector<uint8_t> row = greyRow();
  for (auto _ : state) benchmark::DoNotOptimize(hexRowLine(row));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(row.size() * 2 + 2));
}
BENCHMARK(BM_HexRowLine);

// The floor: a plain loop writing the same bytes into a reused buffer.
void BM_PlainHexLoop(benchmark::State& state) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const std::vector<uint8_t> row = greyRow();
  std::string line(row.size() * 2 + 2, ' ');
  for (auto _ : state) {
    for (size_t i = 0; i < row.size(); ++i) {
      line[2 * i] = kDigits[row[i] >> 4];
      line[2 * i + 1] = kDigits[row[i] & 0x0F];
    }
    line[line.size() - 1] = '\n';
    benchmark::DoNotOptimize(line.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(line.size()));
}
BENCHMARK(BM_PlainHexLoop);

}  // namespace

BENCHMARK_MAIN();
