#include "job_delivery.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <thread>

namespace {

// The pauses between tries, in seconds; the last one repeats.
constexpr std::array<int, 5> kPauses = {5, 10, 20, 40, 60};
// Tries in a row that a printer answers and still does not take the job
// before the job waits for an administrator.
constexpr int kRefusalsBeforeHold = 5;

// A job's printer and its system.
struct JobPlace {
  pappl_job_t* job;
  pappl_printer_t* printer;
  pappl_system_t* system;
};

bool serverStopping(const JobPlace& place) { return !papplSystemIsRunning(place.system); }

// The job ends here for good when it was canceled; on a stopping server the
// thread waits for the process to end (the kept state has the job
// printing, and the next start prints it again).
JobEnd endOnStop(const JobPlace& place) {
  if (papplJobIsCanceled(place.job)) {
    papplJobSetMessage(place.job, "Canceled before the printer had the whole job");
    return JobEnd::canceled;
  }
  papplLogJob(place.job, PAPPL_LOGLEVEL_INFO, "The server stops; the job prints again after its next start.");
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

// Says why the job waits: the printer's reasons, the job's message and
// the log.
void tellWaiting(const JobPlace& place, const std::string& why) {
  papplPrinterSetReasons(place.printer, PAPPL_PREASON_OFFLINE, PAPPL_PREASON_NONE);
  papplJobSetMessage(place.job, "%s", why.c_str());
  papplLogJob(place.job, PAPPL_LOGLEVEL_WARN, "%s", why.c_str());
}

// Waits seconds, or less when the job or the server stops; false then.
bool pause(const JobPlace& place, int seconds) {
  for (int tenths = 0; tenths < seconds * 10; ++tenths) {
    if (papplJobIsCanceled(place.job) || serverStopping(place)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

// Stops the printer with the job until an administrator resumes the
// printer (PAPPL 1.3 holds no job that has started: papplJobHold in its
// job.c); false when the job or the server stops first.
bool waitForAdministrator(const JobPlace& place, const std::string& why) {
  tellWaiting(place, why + " Resume the printer to try again, or cancel the job.");
  papplPrinterPause(place.printer);
  // A printer paused with a job stays processing until it is resumed.
  while (papplPrinterGetState(place.printer) == IPP_PSTATE_PROCESSING) {
    if (pause(place, 1)) continue;
    // The pause was for this job alone: with it cancelled, the jobs behind
    // it print.
    if (papplJobIsCanceled(place.job)) papplPrinterResume(place.printer);
    return false;
  }
  return true;
}

// Why a try did not deliver, for the job's message.
std::string whyNot(Delivery delivery, const PrinterSocket& socket) {
  switch (delivery) {
    case Delivery::unreachable:
      return "The printer cannot be reached (" + socket.failure() + ")";
    case Delivery::broken:
      return "The printer did not take the whole job (" + socket.failure() + ")";
    case Delivery::noEnd:
      return "The printer did not confirm the job (" + socket.failure() + ")";
    default:
      return socket.failure();
  }
}

}  // namespace

JobEnd deliverToSocket(pappl_job_t* job, PrinterSocket& socket, const SendWholeJob& send, std::string& error) {
  const JobPlace place{job, papplJobGetPrinter(job), papplPrinterGetSystem(papplJobGetPrinter(job))};
  // Whether the job's message says it waits, to be said otherwise once
  // the printer has the job.
  bool waited = false;
  const DeliveryWatch watch{
      [&place] { return papplJobIsCanceled(place.job) || serverStopping(place); },
      [&place, &waited](bool stalled) {
        if (stalled) tellWaiting(place, "The printer has not taken the job yet; waiting for it");
        else papplJobSetMessage(place.job, "Sending the job to the printer");
        waited = true;
      }};
  int refusals = 0;
  for (size_t tries = 1;; ++tries) {
    Delivery delivery = Delivery::delivered;
    PrinterSink sink([&](std::string_view bytes) {
      if (delivery == Delivery::delivered) delivery = socket.send(bytes, watch);
      return delivery == Delivery::delivered ? 0 : EIO;
    });
    const int status = send(sink, error);
    // A job cancelled while it was being made ends as cancelled, with no
    // failure of its own to tell.
    if (status != 0 && papplJobIsCanceled(job)) return JobEnd::canceled;
    const bool sentWhole = delivery == Delivery::delivered;
    if (sentWhole) delivery = socket.finish(watch);
    // A job that cannot be made fails as it is, however the printer took
    // the part of it that was sent.
    if (sentWhole && status != 0) return JobEnd::failed;
    if (delivery == Delivery::delivered) {
      papplPrinterSetReasons(place.printer, PAPPL_PREASON_NONE, PAPPL_PREASON_OFFLINE);
      if (waited || tries > 1) {
        papplJobSetMessage(job, "The printer took the job on try %d", static_cast<int>(tries));
        papplLogJob(job, PAPPL_LOGLEVEL_INFO, "The printer took the job on try %d.", static_cast<int>(tries));
      }
      return JobEnd::printed;
    }
    socket.drop();
    if (delivery == Delivery::stopped) return endOnStop(place);
    refusals = delivery == Delivery::unreachable ? 0 : refusals + 1;
    const std::string why = whyNot(delivery, socket);
    if (refusals >= kRefusalsBeforeHold) {
      if (!waitForAdministrator(place, why + ", " + std::to_string(refusals) + " times running."))
        return endOnStop(place);
      refusals = 0;
      continue;
    }
    const int seconds = kPauses[std::min(tries - 1, kPauses.size() - 1)];
    waited = true;
    tellWaiting(place, why + "; trying again in " + std::to_string(seconds) + " s (try " + std::to_string(tries + 1) +
                           ")");
    if (!pause(place, seconds)) return endOnStop(place);
  }
}
