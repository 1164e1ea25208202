#include "page_count.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

#include "catalog.h"
#include "mapped_file.h"
#include "object_reader.h"

namespace {

// More pages than any printer job has; a larger /Count is not believed.
constexpr int64_t kMostPages = INT64_C(1) << 31;

// countPages, giving the pages of file back as reading moves on when pdf
// is its mapping.
std::optional<int64_t> countPagesIn(std::string_view pdf, const MappedFile* file) {
  XrefChain chain;
  MergeResult fault;
  CatalogInfo catalog;
  if (!readXrefChain(pdf, chain, fault, file) || !findCatalog(pdf, chain, false, catalog, fault))
    return std::nullopt;
  std::string storage;
  PdfValue catalogDict;
  if (!readObjectDictionary(pdf, chain, catalog.rootObjNum, storage, catalogDict))
    return std::nullopt;
  const PdfValue* pages = dictGet(catalogDict, "Pages");
  if (pages == nullptr || pages->kind != PdfKind::Reference || pages->integer > kMaxObjectNumber)
    return std::nullopt;
  std::string pagesStorage;
  PdfValue pagesDict;
  int64_t count = 0;
  if (!readObjectDictionary(pdf, chain, static_cast<int32_t>(pages->integer), pagesStorage,
                            pagesDict) ||
      !asInteger(dictGet(pagesDict, "Count"), 0, kMostPages, count))
    return std::nullopt;
  return count;
}

// countPagesIn, with no count when memory runs out: the count is only for
// CUPS' accounting, and the job must go on without it.
std::optional<int64_t> countPagesOrNothing(std::string_view pdf, const MappedFile* file) {
  try {
    return countPagesIn(pdf, file);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace

std::optional<int64_t> countPages(std::string_view pdf) { return countPagesOrNothing(pdf, nullptr); }

std::optional<int64_t> countPagesInFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info;
  MappedFile file;
  std::optional<int64_t> pages;
  if (fstat(fd, &info) == 0 && file.map(fd, static_cast<size_t>(info.st_size)))
    pages = countPagesOrNothing(file.bytes(), &file);
  close(fd);
  return pages;
}
