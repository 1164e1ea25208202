// What a job learns from the CUPS queue it runs under (the PPD variable),
// and what it tells CUPS back.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "argument_store.h"
#include "queue_ppd.h"

// The job's options, and the queue's PPD when it has a say in them.
struct JobOptions {
  std::shared_ptr<argumentStore> options;  // null when libcups cannot be loaded
  std::unique_ptr<QueuePpd> queue;
  // Why the job must not print (a PIN it cannot be held under), if so.
  std::optional<std::string> refusal;
};

// Parses the option string. A job that asks for a PIN is held under it. A
// job from a client other than macOS also gets the PPD options its IPP
// attributes stand for, then the queue's defaults for what it still does
// not say; macOS sends every choice of the queue's PPD itself, so its jobs
// stay as they come. Needs nothing from the job's PDF, so it runs while
// the child filter works.
JobOptions readJobOptions(const char* optionString);

// The settings that a non-macOS job's standard options imply, now that its
// PDF's page count is known.
void completeFromQueue(JobOptions& job, char* argv[], std::optional<int64_t> pages);

// Under a CUPS queue, a line for lpstat saying where the job is.
void reportProgress(const char* line);

// Under a CUPS queue, the page accounting of a job that was sent: its pages
// times its copies.
void reportPrintedPages(const argumentStore& options, const char* copiesArgument,
                        std::optional<int64_t> pages);
