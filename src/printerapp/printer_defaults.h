// What a job takes from its printer when its client does not say: the
// defaults an administrator changed from the driver's own (colour mode,
// quality, resolution, sides, media, output bin), and the printer
// defaults of the family settings. A default left as the driver set it
// keeps the printer's own setting.
#pragma once

#include <pappl/pappl.h>

#include <optional>
#include <string>
#include <string_view>

class PrinterDefaults {
 public:
  explicit PrinterDefaults(pappl_printer_t* printer);
  ~PrinterDefaults();
  PrinterDefaults(const PrinterDefaults&) = delete;
  PrinterDefaults& operator=(const PrinterDefaults&) = delete;

  // A changed default as the job attribute of that name, or null.
  ipp_attribute_t* changed(const char* name) const;
  // A family setting's printer default, or nothing.
  std::optional<std::string> setting(std::string_view attribute) const;

 private:
  ipp_t* changedDefaults;
  ipp_t* driverAttributes;
};
