// Memory for whole page images: a sheet and its drawing surface take tens
// of megabytes, which in ordinary pages cost thousands of page faults to
// fill. These blocks are laid out in large pages where the system offers
// them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Gives a block back to the system.
struct PixelMemoryRelease {
  size_t size = 0;
  void operator()(uint8_t* block) const;
};

using PixelMemory = std::unique_ptr<uint8_t[], PixelMemoryRelease>;

// A zero-filled block of size bytes, or null when there is no memory.
PixelMemory allocatePixelMemory(size_t size);
