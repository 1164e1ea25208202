// A job that reached the printer application, turned into the options the
// filter gets from a CUPS queue with the family's PPD: the IPP attributes
// the client sent, under the names CUPS passes them to a filter, and the
// family settings, so that both front ends print a job alike.
#pragma once

#include <cups/ipp.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "argument_store.h"
#include "client_job.h"
#include "job_pins.h"

// A job attribute the client sent, by name; null when it sent none.
using SentAttribute = std::function<ipp_attribute_t*(const char* name)>;

// A family setting's value for the job: the job's own, else the printer's
// default; nothing when it has neither.
using SettingValue = std::function<std::optional<std::string>(std::string_view attribute)>;

// The attributes a client sent that CUPS would pass a filter, as name and
// text ("finishings" "4,5", "printer-resolution" "600x600dpi", "media"
// "iso_a4_210x297mm" or "Custom.595x842"); media-col gives media,
// media-source and media-type unless the client sent those alone.
std::vector<std::pair<std::string, std::string>> clientOptions(const SentAttribute& sent);

// What the PDF-to-PDF filter does for the job, as its option string: the
// page range, scaling and orientation the client sent, with the paper to
// scale to (PageSize, as the PPD names it); empty when the PDF goes to the
// printer as it came. Values that are not of their attribute's kind are
// left out, so that no client text reaches the option string.
std::string pdfFilterOptions(const SentAttribute& sent);

struct JobOptions {
  std::shared_ptr<argumentStore> options;  // null when libcups cannot be loaded
  // Why the job must not print (a PIN it cannot be held under), if so.
  std::optional<std::string> refusal;
};

// The job's options: the client's, a family setting the job gave itself,
// the PPD options its attributes stand for, then the printer's defaults of
// the family settings, then what the standard options imply (job name,
// copies, duplex, collation, tray, pages, paper). A job sent with a PIN
// (pin) is held under it.
JobOptions optionsForJob(const SentAttribute& sent, const SettingValue& setting, const ClientJob& job,
                         const JobPin* pin);
