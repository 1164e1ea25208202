// A PDF job of the printer application, printed as PDF through the job
// pipeline that the CUPS filter uses: PJL block, ticket, merge and closing
// job, into the printer's device.
#pragma once

#include <pappl/pappl.h>

// PAPPL's print-file callback for application/pdf. False, with the job's
// message and log saying why, when the job was not printed whole.
bool printPdfJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);
