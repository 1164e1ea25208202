#include "mapped_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

// Releases the mapping.
MappedFile::~MappedFile() {
  if (address != nullptr) munmap(address, length);
}

// Maps the file read-only.
bool MappedFile::map(int fd, size_t size) {
  if (size == 0) {
    errno = EINVAL;
    return false;
  }
  void* p = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (p == MAP_FAILED) return false;
  address = p;
  length = size;
  descriptor = fd;
  return true;
}

// pread, retried when interrupted.
size_t MappedFile::readAt(size_t pos, char* buffer, size_t size) const {
  if (descriptor < 0 || pos >= length) return 0;
  ssize_t n;
  do {
    n = pread(descriptor, buffer, std::min(size, length - pos), static_cast<off_t>(pos));
  } while (n < 0 && errno == EINTR);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

// MADV_DONTNEED on the whole pages around the range; the mapping is never
// written, so the file's bytes come back on the next read.
void MappedFile::release(size_t from, size_t to) const {
  static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  size_t first = from / page * page;
  size_t last = std::min(length, (to + page - 1) / page * page);
  if (address == nullptr || first >= last) return;
  madvise(static_cast<char*>(address) + first, last - first, MADV_DONTNEED);
}

// Far apart: more bytes of file per entry than a fault maps around one.
void ResidentWindow::expectEntries(size_t count) {
  farApart = file != nullptr && count > 0 && file->bytes().size() / count > kFarApart;
}

// A read call for far-apart entries, falling back on the mapping.
std::string_view ResidentWindow::readFarApart(std::string_view pdf, size_t pos, size_t size,
                                              char* buffer) {
  size_t got = file->readAt(pos, buffer, size);
  if (got == std::min(size, pdf.size() - pos)) return {buffer, got};
  note(pos, pos + size);
  return pdf.substr(pos, size);
}

// Releases the stretch noted so far.
void ResidentWindow::releaseVisited() {
  file->release(low, high);
  low = SIZE_MAX;
  high = 0;
  mapped = 0;
}
