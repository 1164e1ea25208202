// What a job learns from the CUPS queue it runs under (the PPD variable),
// and what it tells CUPS back.
#pragma once

#include <cstdint>
#include <optional>

#include "argument_store.h"

// A job from a client other than macOS gets the queue's defaults and the
// settings its standard options imply; pages is the PDF's page count.
void completeFromQueue(argumentStore& options, char* argv[], std::optional<int64_t> pages);

// Under a CUPS queue, a line for lpstat saying where the job is.
void reportProgress(const char* line);

// Under a CUPS queue, the page accounting of a job that was sent: its pages
// times its copies.
void reportPrintedPages(const argumentStore& options, const char* copiesArgument,
                        std::optional<int64_t> pages);
