#include "raster_job.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "job_claim.h"
#include "job_order.h"
#include "pdf_job.h"
#include "raster_pdf.h"
#include "work_area.h"

namespace {

// The longest raster line read: a page of 200 inches at 2400 dpi in RGB.
constexpr uint32_t kLongestLine = 200 * 2400 * 3;

// What a raster job has made so far; the job's data from its start to its
// end.
struct RasterJob {
  std::unique_ptr<WorkArea> area;
  std::unique_ptr<RasterPdf> pdf;
  // Why the job cannot be printed, once something went wrong.
  std::string failure;
  // Sides and paper the client's raster says, where its job does not.
  ipp_t* implied = nullptr;
  // The pages a streamed raster announced, 0 when it did not.
  unsigned announcedPages = 0;

  RasterJob() = default;
  RasterJob(const RasterJob&) = delete;
  RasterJob& operator=(const RasterJob&) = delete;
  ~RasterJob() { ippDelete(implied); }
};

RasterJob* rasterJobOf(pappl_job_t* job) { return static_cast<RasterJob*>(papplJobGetData(job)); }

// Keeps the first reason the job cannot print. Returns false, as the
// callbacks then do.
bool failRaster(RasterJob& raster, const std::string& why) {
  if (raster.failure.empty()) raster.failure = why;
  return false;
}

// Raster a client sends page by page: its headers are the client's own.
// PAPPL makes JPEG and PNG into pages of its own headers instead.
bool isStreamedRaster(pappl_job_t* job) {
  const char* format = papplJobGetFormat(job);
  return format && (!std::strcmp(format, "image/pwg-raster") || !std::strcmp(format, "image/urf"));
}

// Whether PAPPL handed over the client's page header. It does so only for
// pixels of 8 bits or more; for fewer it keeps the header it made of the
// job, while the lines stay the client's, shorter ones. A header equal to
// the one PAPPL makes of the job is taken as not the client's.
bool hasClientHeader(pappl_job_t* job, const pappl_pr_options_t* options) {
  pappl_pr_options_t* own = papplJobCreatePrintOptions(job, static_cast<unsigned>(papplJobGetImpressions(job)), false);
  const bool same = own && std::memcmp(&own->header, &options->header, sizeof own->header) == 0;
  papplJobDeletePrintOptions(own);
  return !same;
}

// How the header's pixels are coded, if a PDF image can take them as they
// are.
std::optional<RasterColours> coloursOf(const cups_page_header2_t& header) {
  if (header.cupsBitsPerColor != 8 || header.cupsColorOrder != CUPS_ORDER_CHUNKED) return std::nullopt;
  switch (header.cupsColorSpace) {
    case CUPS_CSPACE_W:
    case CUPS_CSPACE_SW:
      if (header.cupsBitsPerPixel == 8) return RasterColours::gray;
      break;
    case CUPS_CSPACE_K:
      if (header.cupsBitsPerPixel == 8) return RasterColours::black;
      break;
    case CUPS_CSPACE_RGB:
    case CUPS_CSPACE_SRGB:
    case CUPS_CSPACE_ADOBERGB:
      if (header.cupsBitsPerPixel == 24) return RasterColours::rgb;
      break;
    default:
      break;
  }
  return std::nullopt;
}

// A transform of the header that runs backwards: a back side the client
// turned.
bool reversed(const cups_page_header2_t& header, int which) {
  return static_cast<int>(header.cupsInteger[which]) == -1;
}

// What the first page of a client's raster says of the job: two-sided
// printing, and its paper.
ipp_t* impliedBy(const cups_page_header2_t& header) {
  ipp_t* implied = ippNew();
  if (header.Duplex)
    ippAddString(implied, IPP_TAG_JOB, IPP_TAG_KEYWORD, "sides", nullptr,
                 header.Tumble ? "two-sided-short-edge" : "two-sided-long-edge");
  // The paper is the size of the pixels: the header's page size in points
  // is rounded, or not there at all.
  const unsigned xDpi = header.HWResolution[0], yDpi = header.HWResolution[1];
  if (xDpi > 0 && yDpi > 0) {
    const int width = static_cast<int>(std::lround(header.cupsWidth * 2540.0 / xDpi));
    const int length = static_cast<int>(std::lround(header.cupsHeight * 2540.0 / yDpi));
    ipp_t* col = ippNew();
    pwg_media_t* known = pwgMediaForSize(width, length);
    if (known && std::strncmp(known->pwg, "custom_", 7) != 0) {
      ippAddString(col, IPP_TAG_JOB, IPP_TAG_KEYWORD, "media-size-name", nullptr, known->pwg);
    } else {
      ipp_t* size = ippNew();
      ippAddInteger(size, IPP_TAG_JOB, IPP_TAG_INTEGER, "x-dimension", width);
      ippAddInteger(size, IPP_TAG_JOB, IPP_TAG_INTEGER, "y-dimension", length);
      ippAddCollection(col, IPP_TAG_JOB, "media-size", size);
      ippDelete(size);
    }
    ippAddCollection(implied, IPP_TAG_JOB, "media-col", col);
    ippDelete(col);
  }
  return implied;
}

// Begins a page of header's layout. Only a client turns its back sides
// (fromClient); PAPPL draws images upright, while its own headers may say
// otherwise (PAPPL 1.3 looks up the sheet back one place off).
bool startPage(RasterJob& raster, const cups_page_header2_t& header, bool fromClient) {
  const std::optional<RasterColours> colours = coloursOf(header);
  if (!colours) return failRaster(raster, "Only 8-bit grey or RGB raster pages can be printed");
  RasterPageLayout layout;
  layout.width = header.cupsWidth;
  layout.height = header.cupsHeight;
  layout.xDpi = header.HWResolution[0];
  layout.yDpi = header.HWResolution[1];
  layout.colours = *colours;
  if (fromClient) {
    layout.mirrored = reversed(header, CUPS_RASTER_PWG_CrossFeedTransform);
    layout.upsideDown = reversed(header, CUPS_RASTER_PWG_FeedTransform);
  }
  if (!raster.pdf->startPage(layout)) return failRaster(raster, raster.pdf->error());
  if (raster.pdf->lineBytes() != header.cupsBytesPerLine)
    return failRaster(raster, "The raster's lines do not have the length of its pixels");
  if (!raster.implied && fromClient) raster.implied = impliedBy(header);
  return true;
}

// Sends the finished PDF as the job, unless the raster was cut short.
bool printRasterPdf(pappl_job_t* job, pappl_device_t* device, RasterJob& raster) {
  if (!raster.failure.empty()) return failJob(job, raster.failure);
  // PAPPL stops a raster it cannot read (and says why in the log only).
  if (papplJobGetState(job) == IPP_JSTATE_ABORTED)
    return failJob(job, "The raster data is damaged, or not 8-bit grey or RGB");
  if (papplJobIsCanceled(job)) return false;
  if (!raster.pdf->finish()) return failJob(job, raster.pdf->error());
  const unsigned pages = raster.pdf->pageCount();
  if (raster.announcedPages > pages)
    return failJob(job, "The raster data ended after " + std::to_string(pages) + " of its " +
                            std::to_string(raster.announcedPages) + " pages");
  const DocumentPdf document{raster.area->spoolPath(), static_cast<int64_t>(pages), raster.implied};
  return printDocumentPdf(job, device, *raster.area, document);
}

// A raster job with its work area and the PDF its pages go into; null,
// with why, when they cannot be made.
std::unique_ptr<RasterJob> newRasterJob(std::string& error) {
  auto raster = std::make_unique<RasterJob>();
  raster->area = WorkArea::create(false, fixedNameFolder(), error);
  if (!raster->area) return nullptr;
  const int fd = raster->area->createWorkFile(raster->area->spoolPath());
  if (fd < 0) {
    error = "Unable to create the raster's PDF: " + std::string(std::strerror(errno));
    return nullptr;
  }
  raster->pdf = std::make_unique<RasterPdf>(fd);
  return raster;
}

// Reads the pages of a spooled raster into the job's PDF; a failure is
// kept in raster.
void readRasterPages(pappl_job_t* job, cups_raster_t* stream, RasterJob& raster) {
  cups_page_header2_t header;
  std::vector<unsigned char> line;
  unsigned pages = 0;
  while (cupsRasterReadHeader2(stream, &header)) {
    if (papplJobIsCanceled(job)) return;
    if (pages++ == 0) raster.announcedPages = header.cupsInteger[CUPS_RASTER_PWG_TotalPageCount];
    if (header.cupsBytesPerLine > kLongestLine) {
      failRaster(raster, "Page " + std::to_string(pages) + " of the raster has lines longer than a page can be");
      return;
    }
    if (!startPage(raster, header, true)) return;
    line.resize(header.cupsBytesPerLine);
    for (unsigned y = 0; y < header.cupsHeight; ++y) {
      if (cupsRasterReadPixels(stream, line.data(), header.cupsBytesPerLine) != header.cupsBytesPerLine) {
        failRaster(raster, "The raster data ended inside page " + std::to_string(pages));
        return;
      }
      if (!raster.pdf->addLine(line)) {
        failRaster(raster, raster.pdf->error());
        return;
      }
    }
    if (!raster.pdf->endPage()) {
      failRaster(raster, raster.pdf->error());
      return;
    }
  }
  if (pages == 0) failRaster(raster, "The raster data is damaged, or has no page");
}

// A spooled raster job, once this thread has claimed it.
bool printClaimedRasterFile(pappl_job_t* job, pappl_device_t* device) {
  std::string error;
  std::unique_ptr<RasterJob> raster = newRasterJob(error);
  if (!raster) return failJob(job, error);
  const int fd = open(papplJobGetFilename(job), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return failJob(job, "Unable to read the raster data: " + std::string(std::strerror(errno)));
  cups_raster_t* stream = cupsRasterOpen(fd, CUPS_RASTER_READ);
  if (stream)
    readRasterPages(job, stream, *raster);
  else
    failRaster(*raster, "The raster data is damaged");
  cupsRasterClose(stream);
  close(fd);
  if (papplJobIsCanceled(job)) return false;
  const int impressions = static_cast<int>(raster->pdf->pageCount()) * copiesOf(job);
  papplJobSetImpressions(job, impressions);
  if (!printRasterPdf(job, device, *raster)) return false;
  papplJobSetImpressionsCompleted(job, impressions);
  return true;
}

}  // namespace

bool printRasterFile(pappl_job_t* job, pappl_device_t* device, void*) {
  claimJobOrLeave(job);
  releaseOrderHolds(papplJobGetPrinter(job));
  const bool printed = !canceledWhileStarting(job) && printClaimedRasterFile(job, device);
  releaseJob(job);
  leaveOnlyOldestWaiting(papplJobGetPrinter(job));
  return printed;
}

bool startRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*) {
  // Images wait in the queue as PDF jobs do; a client's raster comes while
  // its request is read, and only once.
  if (!isStreamedRaster(job)) claimJobOrLeave(job);
  releaseOrderHolds(papplJobGetPrinter(job));
  std::string error;
  std::unique_ptr<RasterJob> raster = newRasterJob(error);
  if (!raster) {
    if (!isStreamedRaster(job)) releaseJob(job);
    return failJob(job, error);
  }
  if (isStreamedRaster(job))
    raster->announcedPages = options->header.cupsInteger[CUPS_RASTER_PWG_TotalPageCount];
  else
    // PAPPL would draw an image once for each copy; the printer makes the
    // copies, as it does for a PDF.
    options->copies = 1;
  papplJobSetData(job, raster.release());
  return true;
}

bool startRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned) {
  RasterJob* raster = rasterJobOf(job);
  if (!raster) return false;
  if (isStreamedRaster(job) && !hasClientHeader(job, options))
    return failRaster(*raster, "Only 8-bit grey or RGB raster pages can be printed");
  return startPage(*raster, options->header, isStreamedRaster(job));
}

bool writeRasterLine(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned,
                     const unsigned char* line) {
  RasterJob* raster = rasterJobOf(job);
  if (!raster || !raster->failure.empty()) return false;
  // PAPPL does not look at what this returns for a client's raster: a
  // failure is kept for the end of the job.
  if (!raster->pdf->addLine(std::span(line, raster->pdf->lineBytes())))
    return failRaster(*raster, raster->pdf->error());
  return true;
}

bool endRasterPage(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned) {
  RasterJob* raster = rasterJobOf(job);
  if (!raster || !raster->failure.empty()) return false;
  if (!raster->pdf->endPage()) return failRaster(*raster, raster->pdf->error());
  return true;
}

bool endRasterJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t* device) {
  // PAPPL may end a job twice when it stops an image job: the first end
  // prints or fails, a second finds nothing left.
  std::unique_ptr<RasterJob> raster(rasterJobOf(job));
  if (!raster) return false;
  papplJobSetData(job, nullptr);
  const bool printed = printRasterPdf(job, device, *raster);
  if (!isStreamedRaster(job)) releaseJob(job);
  leaveOnlyOldestWaiting(papplJobGetPrinter(job));
  return printed;
}
