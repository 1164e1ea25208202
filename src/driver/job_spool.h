// The job as the PDF-to-PDF filter makes it, spooled into the work area:
// the child filter writes straight into the spool file while the filter
// gets the rest of the job ready.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "child_filter.h"
#include "job_events.h"
#include "work_area.h"

class SpoolingChild {
 public:
  // Starts the child filter with args (see getArgs) and its output in the
  // area's spool file. Null, having told events why, when it cannot.
  static std::unique_ptr<SpoolingChild> start(const std::vector<std::string>& args, WorkArea& area,
                                              const JobEvents& events);
  // A child still at work is stopped: the job was given up.
  ~SpoolingChild();
  SpoolingChild(const SpoolingChild&) = delete;
  SpoolingChild& operator=(const SpoolingChild&) = delete;

  // The child's process id, while it runs.
  pid_t pid() const { return child.pid; }

  // Waits for the child and sets size to the spooled PDF's. False, having
  // told why, when the job cannot be had complete.
  bool finish(off_t& size);

 private:
  SpoolingChild(ChildFilter child, int spoolFd, std::string spoolPath, const JobEvents& events)
      : child(std::move(child)), spoolFd(spoolFd), spoolPath(std::move(spoolPath)), events(events) {}

  ChildFilter child;
  int spoolFd;
  std::string spoolPath;
  const JobEvents& events;
};
