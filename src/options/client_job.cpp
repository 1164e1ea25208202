#include "client_job.h"

#include <array>
#include <span>
#include <string_view>

#include "option_keys.h"

namespace {

struct ValueMapping {
  std::string_view from;
  std::string_view to;
};

// IPP sides and the PPD's Duplex choices as duplex numbers.
constexpr std::array<ValueMapping, 6> kDuplexNumbers{{
    {"one-sided", "1"},
    {"two-sided-long-edge", "2"},
    {"two-sided-short-edge", "3"},
    {"None", "1"},
    {"DuplexNoTumble", "2"},
    {"DuplexTumble", "3"},
}};

// IPP collation choices as the boolean text of the collate key.
constexpr std::array<ValueMapping, 5> kCollation{{
    {"true", "true"},
    {"false", "false"},
    {"separate-documents-collated-copies", "true"},
    {"separate-documents-uncollated-copies", "false"},
    {"single-document", "true"},
}};

const std::string_view* mapped(std::span<const ValueMapping> table, const std::string* value) {
  if (!value) return nullptr;
  for (const ValueMapping& row : table)
    if (row.from == *value) return &row.to;
  return nullptr;
}

// The first of the options names that the job has.
const std::string* firstGiven(const argumentStore& options,
                              std::initializer_list<std::string_view> names) {
  for (std::string_view name : names)
    if (const std::string* value = options.getValue(name)) return value;
  return nullptr;
}

}  // namespace

bool hasMacPrintSettings(const argumentStore& options) {
  for (const std::string& name : options.keyEnumerator())
    if (name.starts_with(kMacPrintKeyPrefix)) return true;
  return false;
}

void deriveMacPrintSettings(argumentStore& options, const ClientJob& job,
                            const PrinterChoices& printer) {
  options.setValueIfAbsent(kJobNameKey, job.title);
  options.setValueIfAbsent(kCopiesKey, job.copies);
  if (const std::string_view* duplex =
          mapped(kDuplexNumbers, firstGiven(options, {kSidesKey, kDuplexKey})))
    options.setValueIfAbsent(kDuplexingKey, *duplex);
  if (const std::string_view* collate =
          mapped(kCollation, firstGiven(options, {kCollateKey, kDocumentHandlingKey})))
    options.setValueIfAbsent(kCopyCollateKey, *collate);
  if (const std::string* tray = options.getValue(kInputSlotKey))
    options.setValueIfAbsent(kFirstPageSourceKey, *tray);
  if (job.pageCount)
    options.setValueIfAbsent(kTotalPagesKey, std::to_string(*job.pageCount));
  if (const std::string* media = firstGiven(options, {kMediaKey, kPageSizeKey}))
    if (std::optional<std::string> paper = printer.paperSizeFor(*media))
      options.setValue(std::string(kMediaKey), *paper);
}
