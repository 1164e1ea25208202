#include "raster_spool.h"

#include <strings.h>

#include <array>
#include <cstring>
#include <string_view>

#include "raster_job.h"

namespace {

// A raster type as clients name it, and as the application spools it.
struct SpooledRaster {
  const char* sent;
  const char* spooled;
  std::string_view magic;  // the document's first bytes
};

constexpr std::array<SpooledRaster, 2> kSpooledRasters{{
    {"image/pwg-raster", "image/PWG-raster", std::string_view("RaS2PwgR", 8)},
    {"image/urf", "image/URF", std::string_view("UNIRAST\0", 8)},
}};

// The raster type a document-format names, whatever its case.
const SpooledRaster* rasterNamed(const char* format) {
  for (const SpooledRaster& raster : kSpooledRasters)
    if (format && !strcasecmp(format, raster.sent)) return &raster;
  return nullptr;
}

// The raster type the client's document starts as, as PAPPL would find it
// for application/octet-stream.
const SpooledRaster* rasterSent(pappl_client_t* client) {
  char start[8] = {};
  if (httpPeek(papplClientGetHTTP(client), start, sizeof start) != static_cast<ssize_t>(sizeof start)) return nullptr;
  for (const SpooledRaster& raster : kSpooledRasters)
    if (std::string_view(start, sizeof start) == raster.magic) return &raster;
  return nullptr;
}

}  // namespace

void spoolRasterRequest(pappl_client_t* client, ipp_t* request) {
  const ipp_op_t operation = ippGetOperation(request);
  if (operation != IPP_OP_PRINT_JOB && operation != IPP_OP_SEND_DOCUMENT) return;
  ipp_attribute_t* format = ippFindAttribute(request, "document-format", IPP_TAG_MIMETYPE);
  const char* named = format ? ippGetString(format, 0, nullptr) : nullptr;
  const SpooledRaster* raster = rasterNamed(named);
  // A document PAPPL would type itself, by its first bytes: compressed
  // ones it does not recognise either.
  ipp_attribute_t* compression = ippFindAttribute(request, "compression", IPP_TAG_KEYWORD);
  const char* coding = compression ? ippGetString(compression, 0, nullptr) : nullptr;
  if (!raster && (!named || !strcmp(named, "application/octet-stream")) && (!coding || !strcmp(coding, "none")))
    raster = rasterSent(client);
  if (!raster) return;
  if (format)
    ippSetString(request, &format, 0, raster->spooled);
  else
    ippAddString(request, IPP_TAG_OPERATION, IPP_CONST_TAG(IPP_TAG_MIMETYPE), "document-format", nullptr,
                 raster->spooled);
}

void addSpooledRasterFilters(pappl_system_t* system) {
  for (const SpooledRaster& raster : kSpooledRasters)
    papplSystemAddMIMEFilter(system, raster.spooled, "application/pdf", printRasterFile, nullptr);
}
