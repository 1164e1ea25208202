#include "xref_table.h"

#include <algorithm>

// Lookup by object number.
const xref_entry* XrefTable::findNumber(int32_t objNum) const {
  if (objNum < 0 || static_cast<size_t>(objNum) >= slotOf.size()) return nullptr;
  uint32_t slot = slotOf[static_cast<size_t>(objNum)];
  return slot == 0 ? nullptr : &table[slot - 1];
}

// Room for count more entries.
void XrefTable::reserve(size_t count) {
  size_t needed = table.size() + count;
  if (needed > table.capacity()) table.reserve(std::max(needed, table.capacity() * 2));
}

// Position through the index.
int64_t XrefTable::indexOf(int32_t objNum) const {
  if (objNum < 0 || static_cast<size_t>(objNum) >= slotOf.size()) return -1;
  return static_cast<int64_t>(slotOf[static_cast<size_t>(objNum)]) - 1;
}

// Lookup by object and generation number.
const xref_entry* XrefTable::find(int32_t objNum, int32_t genNum) const {
  const xref_entry* entry = findNumber(objNum);
  return entry != nullptr && entry->genNum == genNum ? entry : nullptr;
}

// Appends and indexes an entry.
void XrefTable::add(const xref_entry& entry) {
  size_t number = static_cast<size_t>(entry.objNum);
  if (number >= slotOf.size()) {
    size_t room = std::min(std::max(number + 1, slotOf.size() * 2),
                           static_cast<size_t>(kMaxObjectNumber) + 1);
    slotOf.resize(room, 0);
  }
  table.push_back(entry);
  slotOf[number] = static_cast<uint32_t>(table.size());
}
