// The byte stream the printer receives: UEL and banner, the PJL block, the
// PDF, the end of job and the closing PJL job; mirrored into the job dump
// when the diagnostic log is on.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "job_events.h"
#include "pjl_commands.h"
#include "printer_sink.h"

// ESC followed by "%-12345X": the Universal Exit Language sequence.
inline constexpr std::string_view kUel = "\x1B%-12345X";

// Writes the UEL and the banner comment that open every job.
void writeBanner(FILE* printer);

// True when the closing PJL job follows the end of job: always, except for
// a USB device ("usb:" URI, case-sensitive) on a system too old for it.
bool wantsTrailerBlock(std::string_view deviceUri, bool usbIsOk);

// Writes the closing PJL job: UEL, UEL + "@PJL JOB", QPORTROTATE, EOJ, UEL.
void writeTrailerBlock(FILE* printer);

// The PDF as it goes to the printer: the first bytes of a file, then a
// tail (the ticket update, when it was not merged into a file).
struct PdfToSend {
  int fd = -1;
  off_t bytes = 0;
  std::string tail;
};

struct JobToSend {
  PdfToSend pdf;
  bool printerCopies = true; // the PJL quantity line makes the copies
  bool withTrailer = true;   // the closing PJL job follows
  FILE* jobDump = nullptr;   // the diagnostic copy of the stream, or null
};

// Fills the PJL block and writes the whole stream to sink, whose stream()
// (which must exist) pjl writes its lines to. Returns "", or why the stream could not be
// written whole.
std::string sendJob(pjlCommands& pjl, const JobToSend& job, PrinterSink& sink,
                    const JobEvents& events);
