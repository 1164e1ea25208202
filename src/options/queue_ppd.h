// The queue's PPD, as CUPS hands it to the filter (the PPD variable): the
// administrator's defaults and the queue's named paper sizes.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "argument_store.h"
#include "printer_choices.h"

struct ppd_file_s;
struct CupsLibrary;

// True for a default that says no more than leaving the option out (a
// PrintTo that prints at once), which therefore never goes into a job.
bool isNeutralDefault(std::string_view option, std::string_view choice);

class QueuePpd : public PrinterChoices {
 public:
  // Opens the PPD at path; null when it cannot be read as a PPD (or
  // libcups cannot be loaded).
  static std::unique_ptr<QueuePpd> open(const char* path);
  ~QueuePpd() override;
  QueuePpd(const QueuePpd&) = delete;
  QueuePpd& operator=(const QueuePpd&) = delete;

  // Gives every option that the PPD declares and the job lacks the PPD's
  // default choice, except a free-text option's placeholder. Free texts
  // chosen in a print dialog arrive as "Custom.text"; they become "text".
  void applyDefaults(argumentStore& options) const;

  // The queue's name for a paper size given as a PWG media name
  // ("iso_a4_210x297mm"), a legacy or PPD name, or already the queue's own
  // name: the PPD size of that name or of those dimensions, else
  // "Custom.WxH" in points. Nothing for a text that names no size.
  std::optional<std::string> paperSizeFor(std::string_view media) const override;

  // The choices of the option keyword, in the PPD's order; none when the
  // PPD has no such option.
  std::vector<std::string> choicesOf(std::string_view keyword) const override;

 private:
  QueuePpd(const CupsLibrary& cups, ppd_file_s* file) : cups(cups), ppd(file) {}
  const CupsLibrary& cups;
  ppd_file_s* ppd;
};
