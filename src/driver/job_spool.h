// The job as the PDF-to-PDF filter makes it, spooled into the work area.
#pragma once

#include <sys/types.h>

#include "work_area.h"

// Runs the child filter on the job of the command line with its output in
// the area's spool file, setting size. Returns false, having reported why,
// when the job cannot be had complete.
bool spoolChildPdf(int argc, char* argv[], WorkArea& area, off_t& size);
