// Raster jobs of the printer application (PWG and Apple raster, and the
// JPEG and PNG images PAPPL turns into raster): their pages become a PDF
// that prints as a PDF job does.
#pragma once

#include <pappl/pappl.h>

// PAPPL's raster callbacks.
bool startRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);
bool startRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device, unsigned page);
bool writeRasterLine(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device, unsigned y,
                     const unsigned char* line);
bool endRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device, unsigned page);
bool endRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);

// PAPPL's filter of a spooled PWG or Apple raster document (see
// raster_spool.h): its pages become a PDF that prints as a PDF job does.
bool printRasterFile(pappl_job_t* job, pappl_device_t* device, void* data);
