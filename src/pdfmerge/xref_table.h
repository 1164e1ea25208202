// The cross-reference table: one entry per object number, the newest one,
// with an index by object number so that lookups cost the same for any file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The largest object number a PDF may use (ISO 32000-1, Annex C); it also
// bounds the index's memory.
constexpr int64_t kMaxObjectNumber = 8388607;

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
  // The entry for objNum, or nullptr.
  const xref_entry* findNumber(int32_t objNum) const;
  // The entry whose object and generation numbers both match, or nullptr.
  const xref_entry* find(int32_t objNum, int32_t genNum) const;
  // Appends entry; the caller has checked that its number is not held.
  void add(const xref_entry& entry);
  // Makes room for count more entries, growing geometrically so that many
  // small subsections cost no more than one large one.
  void reserve(size_t count);
  // Position of objNum's entry in reading order, or -1.
  int64_t indexOf(int32_t objNum) const;
  // Puts entry in place of the entry at index, which has the same number.
  void replace(size_t index, const xref_entry& entry) { table[index] = entry; }
  // Entries in the order read.
  const std::vector<xref_entry>& entries() const { return table; }

 private:
  std::vector<xref_entry> table;
  std::vector<uint32_t> slotOf;  // objNum -> index + 1, 0 when absent
};
