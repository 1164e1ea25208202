// What the job's options need to know of a printer's own names: the
// choices it has for an option, and its name for a paper size. A CUPS
// queue answers from its PPD, the printer application from its tables.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class PrinterChoices {
 public:
  virtual ~PrinterChoices() = default;

  // The choices of the option keyword, in the printer's order; none when it
  // has no such option.
  virtual std::vector<std::string> choicesOf(std::string_view keyword) const = 0;

  // The printer's name for a paper size given as a PWG media name
  // ("iso_a4_210x297mm"), a legacy name, or already its own name; else
  // "Custom.WxH" in points. Nothing for a text that names no size.
  virtual std::optional<std::string> paperSizeFor(std::string_view media) const = 0;
};
