// Jobs reach a printer in the order they were accepted. PAPPL 1.3 keeps a
// printer's active jobs newest first (compare_active_jobs in its printer.c)
// and, when a job ends, starts the first of them that waits: the newest.
// So as a job ends, every waiting job but the oldest is held for a moment,
// PAPPL starts that one, and as it starts it lets the others wait again.
#pragma once

#include <pappl/pappl.h>

// Holds every waiting job of printer but the oldest, so that PAPPL starts
// that one next. Called as a job ends, and before kept jobs start.
void leaveOnlyOldestWaiting(pappl_printer_t* printer);

// Lets the jobs that leaveOnlyOldestWaiting held wait again; called as a
// job starts.
void releaseOrderHolds(pappl_printer_t* printer);

// PAPPL's timer callback, every few seconds: where no job started after
// the holds (the oldest was cancelled, or the printer paused), the oldest
// held job is let go, so that none stays held.
bool releaseStrandedOrderHolds(pappl_system_t* system, void* data);
