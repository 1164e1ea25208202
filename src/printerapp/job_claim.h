// One thread per job, one job per printer at a time. PAPPL 1.3 starts the
// thread of a waiting job before it marks the job as printing, so two
// threads that look for work at once can both start the same job (both
// would print it and both would end it, which frees the job's data twice),
// or start the next job while one still prints.
#pragma once

#include <pappl/pappl.h>

// Claims job for the calling thread. A thread that finds the job claimed,
// or already printed, is a second start: it is logged and the thread ends
// here, before it can print or end the job.
void claimJobOrLeave(pappl_job_t* job);

// The claiming thread is done with job.
void releaseJob(pappl_job_t* job);

// PAPPL 1.3 also starts a job that a client canceled while its thread was
// starting (start_job in its job-process.c does not look), and the job's
// document is gone by then. Such a job is marked canceled again, so that
// PAPPL ends it as canceled; true when job is one.
bool canceledWhileStarting(pappl_job_t* job);

// A job's turn at its printer's device: jobs that PAPPL runs at once reach
// the printer one after another, and in the order they were accepted (by
// job id), however long one of them waits for an absent printer.
class PrinterTurn {
 public:
  // Waits until no job with a lower id waits for the printer, and the
  // printer is free.
  explicit PrinterTurn(pappl_job_t* job);
  // Gives the printer to the next job.
  ~PrinterTurn();

  PrinterTurn(const PrinterTurn&) = delete;
  PrinterTurn& operator=(const PrinterTurn&) = delete;

 private:
  struct Queue;
  Queue& queue;
};
