// One run of the filter: one job from the CUPS command line to the bytes the
// printer receives on standard output.
#pragma once

#include "argument_store.h"

// Runs the job and returns the exit status: 0 when the job was sent, 1 for
// a wrong argument count, a missing child filter, no data or an I/O failure.
int runFilter(int argc, char* argv[]);

// 1 when the printer makes the copies from the PJL quantity line, 0 when the
// ticket carries them (the job is held at the printer with "JRPrinter").
int copyModeFor(const argumentStore& options);
