#include "mapped_file.h"

#include <sys/mman.h>

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
  return true;
}
