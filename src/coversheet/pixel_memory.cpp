#include "pixel_memory.h"

#include <sys/mman.h>

// munmap of the whole block.
void PixelMemoryRelease::operator()(uint8_t* block) const {
  if (block != nullptr) munmap(block, size);
}

// Anonymous memory is zero-filled; large pages are only a request.
PixelMemory allocatePixelMemory(size_t size) {
  if (size == 0) return PixelMemory(nullptr, PixelMemoryRelease{0});
  void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) return PixelMemory(nullptr, PixelMemoryRelease{0});
  madvise(block, size, MADV_HUGEPAGE);
  return PixelMemory(static_cast<uint8_t*>(block), PixelMemoryRelease{size});
}
