// What the job's options need to know of a printer's own names: the
// choices it has for an option, the IPP keywords that name a tray, media
// type or output bin, and its name for a paper size. A CUPS queue answers
// from its PPD, the printer application from its tables.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pwg_names.h"
#include "string_additions.h"

class PrinterChoices {
 public:
  virtual ~PrinterChoices() = default;

  // The choices of the option keyword, in the printer's order; none when it
  // has no such option.
  virtual std::vector<std::string> choicesOf(std::string_view keyword) const = 0;

  // Whether name, an IPP keyword, stands for choice, a PPD choice of the
  // kind: CUPS's name of it. Without regard to case, as a print dialog may
  // send a keyword as CUPS listed it ("Tray-2").
  virtual bool isCalled(std::string_view choice, PwgChoiceKind kind, std::string_view name) const {
    return equalsIgnoringCase(pwgNameOf(choice, kind), name);
  }

  // The printer's name for a paper size given as a PWG media name
  // ("iso_a4_210x297mm"), a legacy name, or already its own name; else
  // "Custom.WxH" in points. Nothing for a text that names no size.
  virtual std::optional<std::string> paperSizeFor(std::string_view media) const = 0;
};
