// What a job tells its front end while it runs: lines for the job's log,
// where it has got to, and whether the printer holds an unfinished job. A
// front end that does not care about one leaves it empty.
#pragma once

#include <functional>
#include <string>

struct JobEvents {
  // A complete line for the job's log, "ERROR: ..." or "INFO: ...", for
  // something that does not end the job (or, for the merge, its own text).
  std::function<void(const std::string& line)> message;
  // A complete "INFO: " line saying where the job has got to.
  std::function<void(const std::string& line)> progress;
  // True once the printer has the start of the job, false once it has its
  // end: a job cut short in between must be closed at the printer.
  std::function<void(bool open)> printerJobOpen;

  // Each passes its argument on when its callback is set.
  void tell(const std::string& line) const { if (message) message(line); }
  void reached(const std::string& line) const { if (progress) progress(line); }
  void printerJob(bool open) const { if (printerJobOpen) printerJobOpen(open); }
};

// How a job ended.
struct JobOutcome {
  // 0 sent; 1 not sent, or cut short by a failed write; 2 to 10 the
  // merge's status, nothing sent.
  int status = 0;
  // Why it was not sent, for the job's one "ERROR: " line; "" when sent.
  std::string error;
};
