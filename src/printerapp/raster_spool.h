// PWG and Apple raster jobs that wait in the queue as other jobs do.
// PAPPL 1.3.1 prints a raster document while it reads it from the client
// (_papplJobCopyDocumentData in job-ipp.c, by document-format compared
// exactly): one that comes while another job prints is answered
// server-error-busy and left aborted, and its job-hold-until is never
// looked at. The request's document-format is therefore renamed, before
// PAPPL reads it, to the same type spelled in capitals (MIME types are
// the same whatever their case), which PAPPL spools and later hands to the
// application's filter for it.
#pragma once

#include <pappl/pappl.h>

// Renames the document-format of a Print-Job or Send-Document request that
// carries PWG or Apple raster, sent as such or as
// application/octet-stream, so that PAPPL spools it.
void spoolRasterRequest(pappl_client_t* client, ipp_t* request);

// Adds the filters of spooled raster to system, before it runs.
void addSpooledRasterFilters(pappl_system_t* system);
