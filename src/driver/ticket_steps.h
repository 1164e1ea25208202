// The steps that put the job's ticket into its PDF through the work files.
#pragma once

#include <string>

#include "form_job_ticket.h"
#include "job_events.h"
#include "printer_stream.h"
#include "ticket_merge.h"
#include "work_area.h"

// Creates the ticket work file and writes the ticket into it. Returns false
// when the file holds less than the whole ticket, which must not be embedded.
bool writeTicketFile(WorkArea& area, const formJobTicket& ticket, const JobEvents& events);

// With the log on, the administrator's copy of the job's PDF (pdfPath) and
// the merged PDF at their fixed names, the second created empty for the
// merge. A file that cannot be created ends the job as the merge's own
// open failure; an incomplete copy ends it with status 1.
JobOutcome writeLoggedWorkFiles(WorkArea& area, const std::string& pdfPath, const JobEvents& events);

// A merge that failed ends the job: its own text goes to the log, its
// status and reason end the job.
JobOutcome mergeFailed(const MergeResult& merge, const JobEvents& events);

// Runs the merge on the job's PDF and the ticket file: with the log on into
// the merged PDF's work file, else handing back the update alone so that
// nothing is written.
MergeResult mergeTicketIntoPdf(const WorkArea& area, const std::string& pdfPath, bool logToDisk);

// Opens the PDF to send: the merged work file when the merge left one, or
// the job's PDF followed by the merge's update; else the job's PDF alone,
// saying that the job goes without its settings. fd -1 when it cannot be
// opened.
PdfToSend openPdfToSend(const WorkArea& area, const std::string& pdfPath, const MergeResult& merge,
                        bool logToDisk, const JobEvents& events);
