// Jobs of the printer application, printed as PDF through the job pipeline
// that the CUPS filter uses: PJL block, ticket, merge and closing job, into
// the printer's device.
#pragma once

#include <pappl/pappl.h>

#include <cstdint>
#include <optional>
#include <string>

#include "work_area.h"

// A job's document as the PDF to print.
struct DocumentPdf {
  std::string path;
  std::optional<int64_t> pageCount;
  // What the document says of the job where the client did not (sides and
  // paper of a raster), or null.
  ipp_t* impliedAttributes = nullptr;
};

// Prints document for job into device, with area for the work files.
// False, with the job's message and log saying why, when the job was not
// printed whole.
bool printDocumentPdf(pappl_job_t* job, pappl_device_t* device, WorkArea& area, const DocumentPdf& document);

// PAPPL's print-file callback for application/pdf.
bool printPdfJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);

// The copies the client asked for (PAPPL takes 1 to 999).
int copiesOf(pappl_job_t* job);

// Ends the job with why it was not printed: its log and its message.
// Returns false, as the callbacks do then.
bool failJob(pappl_job_t* job, const std::string& why);
