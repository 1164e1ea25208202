#include "job_order.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace {

// The jobs held for their order, by printer id.
struct OrderHolds {
  std::mutex lock;
  std::map<int, std::set<int>> held;
};

OrderHolds& orderHolds() {
  static OrderHolds* holds = new OrderHolds;
  return *holds;
}

// The ids of the printer's active jobs in state.
std::vector<int> jobsIn(pappl_printer_t* printer, ipp_jstate_t state) {
  struct Found {
    ipp_jstate_t state;
    std::vector<int> ids;
  } found{state, {}};
  papplPrinterIterateActiveJobs(
      printer,
      [](pappl_job_t* job, void* data) {
        auto* found = static_cast<Found*>(data);
        if (papplJobGetState(job) == found->state) found->ids.push_back(papplJobGetID(job));
      },
      &found, 1, 0);
  return found.ids;
}

// Lets job id of printer wait again; true when it was held for its order.
bool release(pappl_printer_t* printer, int id) {
  pappl_job_t* job = papplPrinterFindJob(printer, id);
  return job && papplJobRelease(job, nullptr);
}

}  // namespace

void leaveOnlyOldestWaiting(pappl_printer_t* printer) {
  // A server that no longer runs starts no job to let the holds go, and
  // would keep them in its state as holds of the jobs' own.
  if (!papplSystemIsRunning(papplPrinterGetSystem(printer))) return;
  std::vector<int> waiting = jobsIn(printer, IPP_JSTATE_PENDING);
  if (waiting.size() < 2) return;
  const int oldest = *std::min_element(waiting.begin(), waiting.end());
  std::lock_guard<std::mutex> guard(orderHolds().lock);
  std::set<int>& held = orderHolds().held[papplPrinterGetID(printer)];
  for (const int id : waiting) {
    pappl_job_t* job = id == oldest ? nullptr : papplPrinterFindJob(printer, id);
    if (job && papplJobHold(job, nullptr, "indefinite", 0)) held.insert(id);
  }
}

void releaseOrderHolds(pappl_printer_t* printer) {
  std::set<int> held;
  {
    std::lock_guard<std::mutex> guard(orderHolds().lock);
    held.swap(orderHolds().held[papplPrinterGetID(printer)]);
  }
  for (const int id : held) release(printer, id);
}

bool releaseStrandedOrderHolds(pappl_system_t* system, void*) {
  papplSystemIteratePrinters(
      system,
      [](pappl_printer_t* printer, void*) {
        if (!jobsIn(printer, IPP_JSTATE_PENDING).empty() || !jobsIn(printer, IPP_JSTATE_PROCESSING).empty()) return;
        int oldest = 0;
        {
          std::lock_guard<std::mutex> guard(orderHolds().lock);
          std::set<int>& held = orderHolds().held[papplPrinterGetID(printer)];
          if (held.empty()) return;
          oldest = *held.begin();
          held.erase(held.begin());
        }
        release(printer, oldest);
      },
      nullptr);
  return true;
}
