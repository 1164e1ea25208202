// One job from its spooled PDF to the last byte at the printer: the PJL
// block, the form job ticket, the merge and the printer stream. The CUPS
// filter and the printer application both print through this call, so a
// job's bytes do not depend on the front end it came through.
#pragma once

#include <memory>
#include <string>

#include "argument_store.h"
#include "diagnostic_log.h"
#include "job_events.h"
#include "printer_sink.h"
#include "work_area.h"

// The version string of the filter's usage text and of the option dump.
inline constexpr const char* kVersionId = "$Revision: 1.16 $";

struct PrintJob {
  // The job as one PDF; read, never changed.
  std::string pdfPath;
  // The job's options, complete (defaults and derived settings applied).
  std::shared_ptr<const argumentStore> options;
  // The user the job belongs to, and the copy count of a job whose options
  // name none.
  std::string user;
  std::string copies;
  // The printer's device URI, and whether a USB printer ("usb:") may get
  // the closing PJL job on this system.
  std::string deviceUri;
  bool usbTrailerAllowed = true;
  // The diagnostic log when it is on, else null. Its work files and dumps
  // then stay in the area's folder.
  DiagnosticLog* log = nullptr;
};

// 1 when the printer makes the copies from the PJL quantity line, 0 when
// the ticket carries them (PrintTo is exactly kPrintDirectly).
int copyModeFor(const argumentStore& options);

// Runs the job, using area for its work files and writing the printer
// stream into sink. Nothing reaches the sink unless the ticket could be
// handled: a PDF that cannot take it ends the job before the first byte.
JobOutcome printJob(const PrintJob& job, WorkArea& area, PrinterSink& sink, const JobEvents& events);
