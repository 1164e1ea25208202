// A whole file mapped read-only, released when the object goes.
#pragma once

#include <cstddef>
#include <string_view>

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Maps size bytes of fd as a private read-only mapping. Returns false,
  // with errno set, when the mapping fails; an empty file maps to nothing.
  bool map(int fd, size_t size);
  // The mapped bytes.
  std::string_view bytes() const { return {static_cast<const char*>(address), length}; }

 private:
  void* address = nullptr;
  size_t length = 0;
};
