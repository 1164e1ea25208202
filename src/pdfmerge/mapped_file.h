// A whole file mapped read-only, released when the object goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Maps size bytes of fd as a private read-only mapping. Returns false,
  // with errno set, when the mapping fails; an empty file maps to nothing.
  // fd must stay open while readAt is used.
  bool map(int fd, size_t size);
  // The mapped bytes.
  std::string_view bytes() const { return {static_cast<const char*>(address), length}; }
  // Drops the pages that hold [from, to) from this process; reading them
  // again maps them afresh from the file.
  void release(size_t from, size_t to) const;
  // Copies up to size bytes from pos into buffer with a read call, leaving
  // the mapping untouched. Returns how many, 0 when none could be read.
  size_t readAt(size_t pos, char* buffer, size_t size) const;

 private:
  void* address = nullptr;
  size_t length = 0;
  int descriptor = -1;
};

// Keeps the resident share of a mapping small while a reader visits it
// here and there: bytes far apart are read with calls, what is read through
// the mapping is noted, and once that may add up to a few megabytes the
// stretch visited goes back to the kernel. Peak memory then stays the same
// whatever the size of the file.
class ResidentWindow {
 public:
  // With no file, notes are ignored.
  explicit ResidentWindow(const MappedFile* file) : file(file) {}
  // Says that count entries, whose objects lie anywhere in the file, come
  // next: when they lie far apart on average, bytesAt reads each with a
  // call, since touching the mapping would fault in the pages around each.
  void expectEntries(size_t count);
  // size bytes of pdf (the mapping) from pos, or fewer at its end: read into
  // buffer for far-apart entries, else through the mapping.
  // Inline, since readers come here for every entry.
  std::string_view bytesAt(std::string_view pdf, size_t pos, size_t size, char* buffer) {
    if (farApart) return readFarApart(pdf, pos, size, buffer);
    note(pos, pos + size);
    return pdf.substr(pos, size);
  }
  // Notes that [from, to) of the mapping was read. Inline, since readers
  // note every entry.
  void note(size_t from, size_t to) {
    if (file == nullptr) return;
    low = from < low ? from : low;
    high = to > high ? to : high;
    mapped += to - from + kFaultAround;
    if (mapped >= kResidentLimit && high - low >= kResidentLimit) releaseVisited();
  }

 private:
  // The kernel maps up to this much around each page a read touches.
  static constexpr size_t kFaultAround = 64 * 1024;
  // The stretch of a mapping left resident before it goes back.
  static constexpr size_t kResidentLimit = 4 * 1024 * 1024;
  // Entries further apart than this on average are read with calls.
  static constexpr size_t kFarApart = 8 * 1024;

  // bytesAt with a read call, or through the mapping when the call fails.
  std::string_view readFarApart(std::string_view pdf, size_t pos, size_t size, char* buffer);
  // Gives the visited stretch back and starts a new one.
  void releaseVisited();

  const MappedFile* file;
  size_t low = SIZE_MAX;  // the stretch visited since the last release
  size_t high = 0;
  size_t mapped = 0;      // what the visits may have made resident
  bool farApart = false;  // the entries expected lie far apart
};
