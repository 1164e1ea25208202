// The number of pages of a PDF, as its page tree states it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The /Count of the page tree's root that the catalog names; nothing when
// the PDF's structure cannot be read that far.
std::optional<int64_t> countPages(std::string_view pdf);

// countPages for the file at path.
std::optional<int64_t> countPagesInFile(const std::string& path);
