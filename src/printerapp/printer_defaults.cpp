#include "printer_defaults.h"

#include <cstring>

#include "family_driver.h"

namespace {

// The print-color-mode keyword of a PAPPL colour mode bit.
const char* colorModeName(pappl_color_mode_t mode) {
  switch (mode) {
    case PAPPL_COLOR_MODE_MONOCHROME: return "monochrome";
    case PAPPL_COLOR_MODE_PROCESS_MONOCHROME: return "process-monochrome";
    case PAPPL_COLOR_MODE_BI_LEVEL: return "bi-level";
    case PAPPL_COLOR_MODE_COLOR: return "color";
    default: return "auto";
  }
}

// The printer's defaults that differ from the driver's own.
ipp_t* defaultsChangedOn(pappl_printer_t* printer) {
  ipp_t* changed = ippNew();
  pappl_pr_driver_data_t data;
  if (!papplPrinterGetDriverData(printer, &data)) return changed;
  if (data.color_default != kInitialColorMode)
    ippAddString(changed, IPP_TAG_JOB, IPP_TAG_KEYWORD, "print-color-mode", nullptr,
                 colorModeName(data.color_default));
  if (data.quality_default != kInitialQuality)
    ippAddInteger(changed, IPP_TAG_JOB, IPP_TAG_ENUM, "print-quality", data.quality_default);
  if (data.x_default != kInitialResolution || data.y_default != kInitialResolution)
    ippAddResolution(changed, IPP_TAG_JOB, "printer-resolution", IPP_RES_PER_INCH, data.x_default,
                     data.y_default);
  if (data.sides_default != kInitialSides)
    ippAddString(changed, IPP_TAG_JOB, IPP_TAG_KEYWORD, "sides", nullptr,
                 data.sides_default == PAPPL_SIDES_TWO_SIDED_LONG_EDGE ? "two-sided-long-edge"
                 : data.sides_default == PAPPL_SIDES_TWO_SIDED_SHORT_EDGE ? "two-sided-short-edge"
                                                                         : "one-sided");
  if (data.media_default.size_name[0] && std::strcmp(data.media_default.size_name, kInitialMedia))
    ippAddString(changed, IPP_TAG_JOB, IPP_TAG_KEYWORD, "media", nullptr, data.media_default.size_name);
  if (data.bin_default >= 0 && data.bin_default < data.num_bin &&
      std::strcmp(data.bin[data.bin_default], kInitialOutputBin))
    ippAddString(changed, IPP_TAG_JOB, IPP_TAG_KEYWORD, "output-bin", nullptr, data.bin[data.bin_default]);
  return changed;
}

}  // namespace

PrinterDefaults::PrinterDefaults(pappl_printer_t* printer)
    : changedDefaults(defaultsChangedOn(printer)),
      driverAttributes(papplPrinterGetDriverAttributes(printer)) {}

PrinterDefaults::~PrinterDefaults() {
  ippDelete(changedDefaults);
  ippDelete(driverAttributes);
}

ipp_attribute_t* PrinterDefaults::changed(const char* name) const {
  return ippFindAttribute(changedDefaults, name, IPP_TAG_ZERO);
}

// PAPPL 1.3 looks for these in the job rather than in the printer, so
// they are read here.
std::optional<std::string> PrinterDefaults::setting(std::string_view attribute) const {
  const std::string name = std::string(attribute) + "-default";
  ipp_attribute_t* value = ippFindAttribute(driverAttributes, name.c_str(), IPP_TAG_ZERO);
  if (!value) return std::nullopt;
  const char* text = ippGetString(value, 0, nullptr);
  if (text) return std::string(text);
  return std::nullopt;
}
