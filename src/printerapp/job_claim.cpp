#include "job_claim.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

namespace {

// A job, by its printer's id and its own: PAPPL may give a deleted
// printer's or a finished job's memory to a new one, whose job ids start
// at 1 again, while printer ids are never reused.
using JobKey = std::pair<int, int>;

// Recently printed jobs: a second start comes within moments of the first.
constexpr size_t kPrintedKept = 256;
// How long a job stays claimed at least. A second start that comes while
// the first still holds the job ends cleanly; one that comes after the job
// has ended leaves the job shown as printing (PAPPL offers no way back), so
// the first holds short jobs until a second start has had time to come,
// on a loaded machine too (30 ms was not always enough).
constexpr auto kShortestClaim = std::chrono::milliseconds(200);

struct Claim {
  JobKey job;
  std::chrono::steady_clock::time_point since;
};

struct Claims {
  std::mutex lock;
  std::deque<Claim> printing;
  std::deque<JobKey> printed;
};

Claims& claims() {
  static Claims all;
  return all;
}

JobKey keyOf(pappl_job_t* job) { return {papplPrinterGetID(papplJobGetPrinter(job)), papplJobGetID(job)}; }

bool holds(const std::deque<JobKey>& keys, const JobKey& key) {
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

std::deque<Claim>::iterator claimOf(std::deque<Claim>& claims, const JobKey& key) {
  return std::find_if(claims.begin(), claims.end(), [&key](const Claim& claim) { return claim.job == key; });
}

}  // namespace

void claimJobOrLeave(pappl_job_t* job) {
  const JobKey key = keyOf(job);
  bool ended = false;
  {
    Claims& all = claims();
    std::lock_guard<std::mutex> guard(all.lock);
    ended = holds(all.printed, key);
    if (!ended && claimOf(all.printing, key) == all.printing.end()) {
      all.printing.push_back({key, std::chrono::steady_clock::now()});
      return;
    }
  }
  // A second start after the first has ended leaves PAPPL showing the job
  // as printing (it was printed once): an administrator must see that.
  if (ended)
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR,
                "Printer %d, job %d started again after it ended; it was printed once and may be shown as printing.",
                key.first, key.second);
  else
    papplLogJob(job, PAPPL_LOGLEVEL_WARN, "Started a second time; only the first start prints the job.");
  pthread_exit(nullptr);
}

void releaseJob(pappl_job_t* job) {
  const JobKey key = keyOf(job);
  Claims& all = claims();
  std::chrono::steady_clock::time_point since;
  {
    std::lock_guard<std::mutex> guard(all.lock);
    const auto claimed = claimOf(all.printing, key);
    if (claimed == all.printing.end()) return;
    since = claimed->since;
  }
  std::this_thread::sleep_until(since + kShortestClaim);
  std::lock_guard<std::mutex> guard(all.lock);
  all.printing.erase(claimOf(all.printing, key));
  all.printed.push_back(key);
  if (all.printed.size() > kPrintedKept) all.printed.pop_front();
}

bool canceledWhileStarting(pappl_job_t* job) {
  if (papplJobGetFilename(job)) return false;
  papplLogJob(job, PAPPL_LOGLEVEL_INFO, "Canceled while it was starting; nothing was printed.");
  papplJobCancel(job);
  return true;
}

// The jobs of one printer that wait for their turn, and whether one has it.
struct PrinterTurn::Queue {
  std::mutex lock;
  std::condition_variable changed;
  std::set<int> waiting;
  bool busy = false;
};

PrinterTurn::PrinterTurn(pappl_job_t* job) : queue([job]() -> Queue& {
        static std::mutex mapLock;
        static std::map<int, std::unique_ptr<Queue>> queues;
        std::lock_guard<std::mutex> guard(mapLock);
        std::unique_ptr<Queue>& found = queues[papplPrinterGetID(papplJobGetPrinter(job))];
        if (!found) found = std::make_unique<Queue>();
        return *found;
      }()) {
  const int id = papplJobGetID(job);
  std::unique_lock<std::mutex> guard(queue.lock);
  queue.waiting.insert(id);
  queue.changed.wait(guard, [this, id] { return !queue.busy && *queue.waiting.begin() == id; });
  queue.waiting.erase(id);
  queue.busy = true;
}

PrinterTurn::~PrinterTurn() {
  {
    std::lock_guard<std::mutex> guard(queue.lock);
    queue.busy = false;
  }
  queue.changed.notify_all();
}
