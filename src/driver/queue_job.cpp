#include "queue_job.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "client_job.h"
#include "messages.h"
#include "option_keys.h"
#include "queue_ppd.h"
#include "string_additions.h"

// Under a CUPS queue, a job from a client other than macOS gets the
// administrator's defaults for what it does not say, and the settings that
// its standard options imply. A macOS client sends every choice of the
// queue's PPD itself, so its jobs stay exactly as they come.
void completeFromQueue(argumentStore& options, char* argv[], std::optional<int64_t> pages) {
  if (hasMacPrintSettings(options)) return;
  std::unique_ptr<QueuePpd> queue = QueuePpd::open(std::getenv("PPD"));
  if (!queue) return;
  queue->applyDefaults(options);
  deriveMacPrintSettings(options, ClientJob{argv[3], argv[4], pages}, *queue);
}

// Under a CUPS queue, a line for lpstat saying where the job is.
void reportProgress(const char* line) {
  if (std::getenv("PPD")) reportLine(line);
}

// Under a CUPS queue, the page accounting of a job that was sent: its pages
// times its copies.
void reportPrintedPages(const argumentStore& options, const char* copiesArgument,
                        std::optional<int64_t> pages) {
  if (!pages || !std::getenv("PPD")) return;
  const std::string* copies = options.getValue(kCopiesKey);
  const int64_t impressions = *pages * std::max<int32_t>(1, intValue(copies ? *copies : copiesArgument));
  reportLine("PAGE: total " + std::to_string(impressions) + "\n");
  reportLine("ATTR: job-impressions=" + std::to_string(impressions) + "\n");
}

