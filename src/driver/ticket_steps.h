// The steps that put the job's ticket into its PDF through the work files.
#pragma once

#include "form_job_ticket.h"
#include "insertqfjt.h"
#include "work_area.h"

// Creates the ticket work file and writes the ticket into it. Returns false
// when the file holds less than the whole ticket, which must not be embedded.
bool writeTicketFile(WorkArea& area, const formJobTicket& ticket);

// With the log on, the administrator's copy of the child's PDF at its fixed
// name. Returns false when the copy could not be completed.
bool writePdfWorkFile(WorkArea& area);

// Runs the merge on the work files. inPlace: the update is appended to the
// PDF work file itself, and ticketAdded says whether the ticket went in;
// else the merged PDF is written to its own work file.
MergeResult mergeTicketIntoPdf(WorkArea& area, bool inPlace, bool& ticketAdded);

// Opens the PDF to send: the PDF merged in place, or the merged PDF when
// the merge left one; else the child's PDF, saying that the job goes
// without its settings.
int openPdfToSend(const WorkArea& area, bool mergedInPlace, bool ticketAdded);
