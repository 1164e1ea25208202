// The cross-reference table: one entry per object number, the newest one,
// held in a slot per object number so that lookups cost the same for any
// file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// The largest object number a PDF may use (ISO 32000-1, Annex C); it also
// bounds the table's memory.
constexpr int64_t kMaxObjectNumber = 8388607;

// Limits of what an entry can hold; no writer comes near them.
constexpr int64_t kMaxGeneration = (int64_t{1} << 17) - 1;
constexpr int64_t kMaxEntryOffset = (int64_t{1} << 40) - 1;
constexpr int64_t kMaxStreamIndex = INT32_MAX;

enum class EntryType { Free, InUse, Compressed };

struct xref_entry {
  int64_t offset = 0;   // byte offset written in the entry (in-use entries)
  int32_t objNum = 0;
  int32_t genNum = 0;
  int64_t objectP = -1; // position of the object in the input, -1 when none
  int32_t isFree = 0;
  EntryType type = EntryType::InUse;
  int32_t streamObjNum = 0;  // compressed: the object stream holding it
  int32_t streamIndex = 0;   // compressed: its index in that stream
};

class XrefTable {
 public:
  XrefTable() = default;
  ~XrefTable();
  XrefTable(XrefTable&& other) noexcept;
  XrefTable& operator=(XrefTable&& other) noexcept;
  XrefTable(const XrefTable&) = delete;
  XrefTable& operator=(const XrefTable&) = delete;

  // The entry for objNum, if held.
  std::optional<xref_entry> findNumber(int32_t objNum) const;
  // The entry whose object and generation numbers both match, if held.
  std::optional<xref_entry> find(int32_t objNum, int32_t genNum) const;
  // True when an entry for objNum (0 to kMaxObjectNumber) is held.
  bool holds(int32_t objNum) const { return slots != nullptr && slots[objNum] != 0; }
  // True when objNum's entry is a free one read in section (a hybrid
  // section's placeholder for an entry of its cross-reference stream).
  bool isFreeFromSection(int32_t objNum, unsigned section) const {
    return holds(objNum) && kindOf(slots[objNum]) == kFree && sectionOf(slots[objNum]) == section;
  }
  // Stores entry, read in section (0 the newest), in objNum's slot. The
  // caller has checked that an in-use entry's object lies at its offset and
  // that the entry is within the limits above. Inline, since readers store
  // every entry of the file.
  void add(const xref_entry& entry, unsigned section) {
    if (slots == nullptr) mapSlots();
    uint64_t& slot = slots[entry.objNum];
    count += slot == 0 ? 1 : 0;
    slot = pack(entry, section);
  }
  // Says that the count entries from object number first on come: the
  // slots of a long run of entries are then laid out in large pages and
  // given memory at once, which costs far fewer page faults.
  void expect(size_t first, size_t count);
  // Number of entries held.
  size_t size() const { return count; }

 private:
  // A slot: 0 when empty; else the kind in bits 0-1 and the section in
  // bits 2-6, then the generation in bits 7-23 and the offset from bit 24,
  // or for a compressed entry the object stream in bits 7-29 and the index
  // from bit 30.
  enum : uint64_t { kFree = 1, kInUse = 2, kCompressed = 3 };
  static uint64_t kindOf(uint64_t slot) { return slot & 3; }
  static unsigned sectionOf(uint64_t slot) { return static_cast<unsigned>(slot >> 2) & 31; }
  static uint64_t pack(const xref_entry& entry, unsigned section) {
    uint64_t head = uint64_t{section & 31} << 2;
    if (entry.type == EntryType::Compressed)
      return head | kCompressed | static_cast<uint64_t>(entry.streamObjNum) << 7 |
             static_cast<uint64_t>(entry.streamIndex) << 30;
    // A negative offset names no position, as 0 does.
    uint64_t offset = entry.offset > 0 ? static_cast<uint64_t>(entry.offset) : 0;
    return head | (entry.type == EntryType::Free ? kFree : kInUse) |
           static_cast<uint64_t>(entry.genNum) << 7 | offset << 24;
  }
  static xref_entry unpack(int32_t objNum, uint64_t slot);
  // Reserves a slot for every possible object number; the pages are only
  // given memory once an entry is stored in them.
  void mapSlots();

  uint64_t* slots = nullptr;
  size_t count = 0;
};
