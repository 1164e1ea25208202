// The PINs of held jobs (job-password). PAPPL copies a request's job
// attributes into the job, shows them to every client and writes them to
// its spool, so a PIN is taken out of the request before PAPPL sees it and
// kept here, by printer id and job id, until the job ends. Across a
// restart the PINs of waiting jobs are kept in a file only root can read.
#pragma once

#include <pappl/pappl.h>

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// A PIN as the client sent it, and how it said it is encrypted ("none").
struct JobPin {
  std::string password;
  std::string encryption;
};

// The job attribute that says a job was sent with a PIN, without the PIN:
// its value is the PIN's encryption as the client gave it.
inline constexpr std::string_view kPinMarkAttribute = "job-password-encryption";

class JobPins {
 public:
  // Keeps PINs in memory and, when path is not empty, in the file at path.
  // Reads what the file kept; false, with why, when it could not be read.
  bool open(const std::string& path, std::string& error);

  // Keeps pin for the job; false (logged by the caller) when the file
  // could not take it.
  bool keep(int printerId, int jobId, JobPin pin, std::string& error);
  std::optional<JobPin> find(int printerId, int jobId) const;
  // Forgets the job's PIN, if it had one.
  void forget(int printerId, int jobId);
  // Forgets the PINs of a deleted printer's jobs.
  void forgetPrinter(int printerId);
  // Forgets every PIN of a job that is not waiting or printing.
  void forgetEndedJobs(pappl_system_t* system);

 private:
  using Key = std::pair<int, int>;
  // Writes the file anew, or removes it when no PIN is left; 0 or errno.
  int saveLocked() const;

  mutable std::mutex lock;
  std::string path;
  std::map<Key, JobPin> pins;
};

// The application's PINs.
JobPins& jobPins();

// Takes a Print-Job's or Create-Job's PIN out of request, for the job the
// request makes on this thread (see keepPinOfCreatedJob); any other request
// just loses one. The job then carries kPinMarkAttribute instead.
void takeRequestPin(ipp_t* request);

// PAPPL's event callback: the job just created on this thread gets the PIN
// its request had; an ended job's PIN is forgotten, and a deleted
// printer's jobs' PINs.
void keepJobPins(pappl_system_t* system, pappl_printer_t* printer, pappl_job_t* job, pappl_event_t event,
                 void* data);
