// How long a ticket merge into a PDF with 1,000,000 objects takes, next to
// copying the same file with cp: the merge should cost about one copy.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <string>

#include "ticket_merge.h"

namespace {

constexpr int kObjectCount = 1000000;

// A work folder with the big input and a ticket, made once per process.
// withStream: the objects are listed by a compressed cross-reference
// stream instead of a classic table.
struct BigPdf {
  std::string folder, input, output, ticket;
  bool withStream;

  explicit BigPdf(bool withStream) : withStream(withStream) {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/qfjt-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) abort();
    folder = pattern;
    input = folder + "/big.pdf";
    output = folder + "/out.pdf";
    ticket = folder + "/ticket.xml";
    writeInput();
    FILE* t = fopen(ticket.c_str(), "wb");
    fputs("<?xml version=\"1.0\"?>\n<FormJobTicket/>\n", t);
    fclose(t);
  }

  ~BigPdf() {
    for (const std::string& path : {input, output, ticket}) unlink(path.c_str());
    rmdir(folder.c_str());
  }

  // Catalog, page tree and kObjectCount small objects.
  void writeInput() {
    FILE* f = fopen(input.c_str(), "wb");
    std::string offsets;
    offsets.reserve(static_cast<size_t>(kObjectCount + 3) * 20);
    long pos = 0;
    auto object = [&](int num, const char* body) {
      char entry[24];
      snprintf(entry, sizeof entry, "%010ld 00000 n \n", pos);
      offsets += entry;
      pos += fprintf(f, "%d 0 obj\n%s\nendobj\n", num, body);
    };
    pos += fprintf(f, "%%PDF-1.4\n");
    object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    object(2, "<< /Type /Pages /Kids [] /Count 0 >>");
    for (int n = 3; n < kObjectCount + 3; ++n) object(n, "<< /N 1 >>");
    if (withStream) {
      writeStream(f, offsets, pos);
    } else {
      fprintf(f, "xref\n0 %d\n0000000000 65535 f \n%strailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%ld\n%%%%EOF\n",
              kObjectCount + 3, offsets.c_str(), kObjectCount + 3, pos);
    }
    fclose(f);
  }

  // The same entries as rows of a FlateDecode cross-reference stream,
  // object kObjectCount + 3, which lists itself too.
  void writeStream(FILE* f, const std::string& offsets, long pos) {
    std::string rows(7, '\0');
    rows[5] = rows[6] = '\xff';
    auto row = [&](long offset) {
      rows += '\x01';
      for (int shift = 24; shift >= 0; shift -= 8) rows += static_cast<char>((offset >> shift) & 0xff);
      rows += std::string(2, '\0');
    };
    for (size_t at = 0; at < offsets.size(); at += 20) row(strtol(offsets.c_str() + at, nullptr, 10));
    row(pos);
    uLongf size = compressBound(rows.size());
    std::string data(size, '\0');
    compress(reinterpret_cast<Bytef*>(data.data()), &size, reinterpret_cast<const Bytef*>(rows.data()),
             rows.size());
    fprintf(f, "%d 0 obj\n<< /Type /XRef /Size %d /W [1 4 2] /Root 1 0 R /Filter /FlateDecode /Length %lu >>\nstream\n",
            kObjectCount + 3, kObjectCount + 4, size);
    fwrite(data.data(), 1, size, f);
    fprintf(f, "\nendstream\nendobj\nstartxref\n%ld\n%%%%EOF\n", pos);
  }
};

BigPdf& bigPdf(bool withStream) {
  static BigPdf classic(false);
  if (!withStream) return classic;
  static BigPdf stream(true);
  return stream;
}

// The whole merge: read the chain, copy, append the update. Argument 1:
// the input has a cross-reference stream.
void BM_MergeMillionObjects(benchmark::State& state) {
  BigPdf& pdf = bigPdf(state.range(0) == 1);
  for (auto _ : state) {
    MergeResult result = mergeTicket(MergeRequest::combine(pdf.input, pdf.output, pdf.ticket));
    if (result.status != 0) state.SkipWithError(result.message.c_str());
  }
}
BENCHMARK(BM_MergeMillionObjects)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The yardstick: cp of the same file.
void BM_CpMillionObjects(benchmark::State& state) {
  BigPdf& pdf = bigPdf(false);
  std::string command = "cp " + pdf.input + " " + pdf.output;
  for (auto _ : state)
    if (system(command.c_str()) != 0) state.SkipWithError("cp failed");
}
BENCHMARK(BM_CpMillionObjects)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
