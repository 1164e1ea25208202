#include "queue_job.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "client_job.h"
#include "ipp_job_attributes.h"
#include "messages.h"
#include "option_keys.h"
#include "queue_ppd.h"
#include "string_additions.h"

// Whatever a client asked for beats the administrator's defaults, which go
// in before the settings derived later, so that those see them.
JobOptions readJobOptions(const char* optionString) {
  JobOptions job;
  job.options = argumentStore::initWithOptionString(optionString);
  if (!job.options) return job;
  job.refusal = holdUnderJobPassword(*job.options);
  if (hasMacPrintSettings(*job.options)) return job;
  job.queue = QueuePpd::open(std::getenv("PPD"));
  mapJobAttributes(*job.options, job.queue.get());
  if (job.queue) job.queue->applyDefaults(*job.options);
  return job;
}

// Only a job that the queue had a say in gets derived settings.
void completeFromQueue(JobOptions& job, char* argv[], std::optional<int64_t> pages) {
  if (job.queue) deriveMacPrintSettings(*job.options, ClientJob{argv[3], argv[4], pages}, *job.queue);
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

