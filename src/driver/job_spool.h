// The job as the PDF-to-PDF filter makes it, spooled into the work area:
// the child filter writes straight into the spool file while the filter
// gets the rest of the job ready.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "child_filter.h"
#include "work_area.h"

class SpoolingChild {
 public:
  // Starts the child filter on the job of the command line with its output
  // in the area's spool file. Null, having reported why, when it cannot.
  static std::unique_ptr<SpoolingChild> start(int argc, char* argv[], WorkArea& area);
  // A child still at work is stopped: the job was given up.
  ~SpoolingChild();
  SpoolingChild(const SpoolingChild&) = delete;
  SpoolingChild& operator=(const SpoolingChild&) = delete;

  // Waits for the child and sets size to the spooled PDF's. False, having
  // reported why, when the job cannot be had complete.
  bool finish(off_t& size);

 private:
  SpoolingChild(ChildFilter child, int spoolFd, std::string spoolPath)
      : child(std::move(child)), spoolFd(spoolFd), spoolPath(std::move(spoolPath)) {}

  ChildFilter child;
  int spoolFd;
  std::string spoolPath;
};
