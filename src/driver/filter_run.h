// One run of the CUPS filter: one job from the CUPS command line to the
// bytes the printer receives on standard output.
#pragma once

// Runs the job and returns the exit status: 0 when the job was sent, 1 for
// no standard output or error, a wrong argument count, a missing child
// filter, no data or an I/O failure, 2 to 10 when the job's PDF could not take its ticket. Every
// status but 0 comes with one "ERROR: " line on standard error.
int runFilter(int argc, char* argv[]);
