#include "xref_table.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <new>
#include <utility>

namespace {

constexpr size_t kSlotBytes = (static_cast<size_t>(kMaxObjectNumber) + 1) * sizeof(uint64_t);
// Tables of fewer entries than this stay in ordinary pages.
constexpr size_t kLargeTable = 65536;

}  // namespace

// Gives the slots back.
XrefTable::~XrefTable() {
  if (slots != nullptr) munmap(slots, kSlotBytes);
}

// Takes other's slots.
XrefTable::XrefTable(XrefTable&& other) noexcept
    : slots(std::exchange(other.slots, nullptr)), count(std::exchange(other.count, 0)) {}

// Gives up its own slots and takes other's.
XrefTable& XrefTable::operator=(XrefTable&& other) noexcept {
  if (this != &other) {
    if (slots != nullptr) munmap(slots, kSlotBytes);
    slots = std::exchange(other.slots, nullptr);
    count = std::exchange(other.count, 0);
  }
  return *this;
}

// Anonymous memory reads as zeros, so every slot starts empty.
void XrefTable::mapSlots() {
  void* p = mmap(nullptr, kSlotBytes, PROT_READ | PROT_WRITE,
                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  slots = static_cast<uint64_t*>(p);
}

// Large pages for the slots of a long run of entries, written at once:
// the reader looks at a slot before it stores one, and a first look at an
// untouched page maps the shared zero page, which every page then leaves
// through a copy-on-write fault and a TLB flush (one that also interrupts
// the core copying the input). Callers bound the run by what the file can
// list; kernels before 5.14 ignore MADV_POPULATE_WRITE.
void XrefTable::expect(size_t first, size_t entries) {
  constexpr size_t kSlots = static_cast<size_t>(kMaxObjectNumber) + 1;
  if (entries < kLargeTable || first >= kSlots) return;
  if (slots == nullptr) mapSlots();
  static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  size_t from = first * sizeof(uint64_t) / page * page;
  size_t to = std::min(kSlots, first + entries) * sizeof(uint64_t);
  madvise(reinterpret_cast<char*>(slots) + from, to - from, MADV_HUGEPAGE);
  madvise(reinterpret_cast<char*>(slots) + from, to - from, MADV_POPULATE_WRITE);
}

// The full entry back; an in-use entry with a positive offset has its
// object there, as the reader checked before storing it.
xref_entry XrefTable::unpack(int32_t objNum, uint64_t slot) {
  xref_entry entry;
  entry.objNum = objNum;
  if (kindOf(slot) == kCompressed) {
    entry.type = EntryType::Compressed;
    entry.streamObjNum = static_cast<int32_t>((slot >> 7) & ((uint64_t{1} << 23) - 1));
    entry.streamIndex = static_cast<int32_t>(slot >> 30);
    return entry;
  }
  entry.offset = static_cast<int64_t>(slot >> 24);
  entry.genNum = static_cast<int32_t>((slot >> 7) & static_cast<uint64_t>(kMaxGeneration));
  entry.isFree = kindOf(slot) == kFree ? 1 : 0;
  entry.type = kindOf(slot) == kFree ? EntryType::Free : EntryType::InUse;
  if (entry.type == EntryType::InUse && entry.offset > 0) entry.objectP = entry.offset;
  return entry;
}

// Lookup by object number.
std::optional<xref_entry> XrefTable::findNumber(int32_t objNum) const {
  if (objNum < 0 || objNum > kMaxObjectNumber || !holds(objNum)) return std::nullopt;
  return unpack(objNum, slots[objNum]);
}

// Lookup by object and generation number.
std::optional<xref_entry> XrefTable::find(int32_t objNum, int32_t genNum) const {
  std::optional<xref_entry> entry = findNumber(objNum);
  if (entry && entry->genNum != genNum) return std::nullopt;
  return entry;
}
