// Jobs from clients other than macOS (Linux, Windows, phones, IPP
// Everywhere) carry none of the com.apple.print. keys that the translation
// reads; their settings come as standard CUPS and IPP options instead.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "argument_store.h"
#include "printer_choices.h"

// True when the job carries at least one com.apple.print. key.
bool hasMacPrintSettings(const argumentStore& options);

// What the command line and the job's PDF tell about a job.
struct ClientJob {
  std::string title;
  std::string copies;
  std::optional<int64_t> pageCount;  // from the PDF's page tree, when readable
};

// Fills in the com.apple.print. keys (and the paper size) that the job's
// standard options imply: job name, copies, duplex, collation, first-page
// tray, page count and media as the queue names it. Keys the job already
// has are kept.
void deriveMacPrintSettings(argumentStore& options, const ClientJob& job,
                            const PrinterChoices& printer);
