// Translation tables of the ticket's attribute steps: an option keyword and
// the attribute fragment it gives, compared exactly (case-sensitive).
#pragma once

#include <span>
#include <string_view>

struct KeywordFragment {
  std::string_view keyword;
  std::string_view fragment;
};

// The fragment of the row whose keyword equals value, or null.
inline const KeywordFragment* findKeyword(std::span<const KeywordFragment> table,
                                          std::string_view value) {
  for (const KeywordFragment& row : table)
    if (row.keyword == value) return &row;
  return nullptr;
}
