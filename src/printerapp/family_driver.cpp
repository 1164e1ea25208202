#include "family_driver.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "device_policy.h"
#include "family_settings.h"
#include "family_tables.h"
#include "ipp_job_attributes.h"
#include "pdf_job.h"
#include "pwg_names.h"
#include "raster_job.h"

namespace {

// Margins of the family's pages: 12 points, in hundredths of millimetres.
constexpr int kMargin = 423;
// Pages a minute, as the PPD's Throughput says.
constexpr int kPagesPerMinute = 30;
// Portrait: PAPPL 1.3 gives the default as an enum and cannot leave it
// without a value as CUPS does, and its none (7) is not among the
// orientations IPP/1.1 clients know. Only JPEG and PNG jobs see it: PAPPL
// then no longer turns a landscape image to fit the page.
constexpr ipp_orient_t kInitialOrientation = IPP_ORIENT_PORTRAIT;

// IPP keywords that stay valid for the life of the process, as PAPPL keeps
// the pointers it is given.
struct FamilyKeywords {
  std::vector<std::string> media, sources, types, bins;
};

// CUPS's names of the choices, after "auto" (the printer's own setting).
std::vector<std::string> keywordsOf(std::span<const LabelledChoice> choices, PwgChoiceKind kind) {
  std::vector<std::string> keywords{"auto"};
  for (const LabelledChoice& choice : choices) keywords.push_back(pwgNameOf(choice.ppd, kind));
  return keywords;
}

const FamilyKeywords& familyKeywords() {
  static const FamilyKeywords keywords = [] {
    FamilyKeywords k;
    for (const FamilyPaper& paper : familyPapers()) k.media.emplace_back(paper.pwg);
    k.media.push_back("custom_min_3x5in");
    k.media.push_back("custom_max_8.5x17in");
    // PAPPL adds "auto" (the printer's own choice) to the trays itself.
    for (const FamilyTray& tray : familyTrays()) k.sources.emplace_back(tray.keyword);
    k.types = keywordsOf(familyMediaTypes(), PwgChoiceKind::mediaType);
    k.bins = keywordsOf(familyOutputBins(), PwgChoiceKind::outputBin);
    return k;
  }();
  return keywords;
}

// Copies pointers to keywords into a PAPPL list, as many as it takes.
template <size_t N>
int fillList(const char* (&list)[N], const std::vector<std::string>& keywords) {
  int count = 0;
  for (const std::string& keyword : keywords)
    if (count < static_cast<int>(N)) list[count++] = keyword.c_str();
  return count;
}

// Letter in the given source, margins as the family prints.
pappl_media_col_t letterIn(const std::string& source) {
  pappl_media_col_t media = {};
  media.size_width = 21590;
  media.size_length = 27940;
  strncpy(media.size_name, kInitialMedia, sizeof media.size_name - 1);
  strncpy(media.source, source.c_str(), sizeof media.source - 1);
  strncpy(media.type, "auto", sizeof media.type - 1);
  media.bottom_margin = media.top_margin = kMargin;
  media.left_margin = media.right_margin = kMargin;
  return media;
}

// The family settings as vendor attributes: their names, and their
// -supported and -default values in attrs.
void addFamilySettings(pappl_pr_driver_data_t* data, ipp_t* attrs) {
  data->num_vendor = 0;
  for (const FamilySetting& setting : familySettings()) {
    if (data->num_vendor >= PAPPL_MAX_VENDOR) break;
    data->vendor[data->num_vendor++] = setting.attribute.data();
    std::vector<const char*> values;
    for (const FamilySettingChoice& choice : setting.choices) values.push_back(choice.keyword.data());
    const std::string name(setting.attribute);
    ippAddStrings(attrs, IPP_TAG_PRINTER, IPP_CONST_TAG(IPP_TAG_KEYWORD), (name + "-supported").c_str(),
                  static_cast<int>(values.size()), nullptr, values.data());
    ippAddString(attrs, IPP_TAG_PRINTER, IPP_CONST_TAG(IPP_TAG_KEYWORD), (name + "-default").c_str(),
                 nullptr, values.front());
  }
}

// The finishing presets, under the name CUPS reads them by (PAPPL 1.3
// writes its own as "finishing-col-database"). A CUPS queue made with
// "lpadmin -m everywhere" offers staple and punch only from these.
void addFinishingTemplates(ipp_t* attrs) {
  constexpr std::array<const char*, 3> kTemplates{"none", "staple", "punch"};
  std::array<ipp_t*, kTemplates.size()> presets{};
  for (size_t i = 0; i < kTemplates.size(); ++i) {
    presets[i] = ippNew();
    ippAddString(presets[i], IPP_TAG_ZERO, IPP_CONST_TAG(IPP_TAG_KEYWORD), "finishing-template", nullptr,
                 kTemplates[i]);
  }
  ippAddCollections(attrs, IPP_TAG_PRINTER, "finishings-col-database", static_cast<int>(presets.size()),
                    const_cast<const ipp_t**>(presets.data()));
  for (ipp_t* preset : presets) ippDelete(preset);
}

// PIN printing: the printer holds a job until its PIN, 4 to 8 digits, is
// typed at its panel. A CUPS queue made from these offers a PIN field.
void addJobPassword(ipp_t* attrs) {
  ippAddInteger(attrs, IPP_TAG_PRINTER, IPP_TAG_INTEGER, "job-password-supported", static_cast<int>(kLongestPin));
  ippAddString(attrs, IPP_TAG_PRINTER, IPP_CONST_TAG(IPP_TAG_KEYWORD), "job-password-encryption-supported",
               nullptr, "none");
  for (const char* name : {"job-password-repertoire-supported", "job-password-repertoire-configured"})
    ippAddString(attrs, IPP_TAG_PRINTER, IPP_CONST_TAG(IPP_TAG_KEYWORD), name, nullptr, "iana_us-ascii_digits");
}

// Printer description that IPP Everywhere clients ask for and PAPPL 1.3
// leaves to the driver: no preferred attributes in Validate-Job answers,
// and colour rendering left to the printer (the family's colour choices are
// its own settings).
void addDescription(ipp_t* attrs) {
  ippAddBoolean(attrs, IPP_TAG_PRINTER, "preferred-attributes-supported", 0);
  ippAddString(attrs, IPP_TAG_PRINTER, IPP_CONST_TAG(IPP_TAG_KEYWORD), "print-rendering-intent-supported",
               nullptr, "auto");
  ippAddString(attrs, IPP_TAG_PRINTER, IPP_CONST_TAG(IPP_TAG_KEYWORD), "print-rendering-intent-default",
               nullptr, "auto");
}

}  // namespace

bool familyDriver(pappl_system_t* system, const char* driverName, const char* deviceUri, const char*,
                  pappl_pr_driver_data_t* data, ipp_t** attrs, void* cbdata) {
  if (std::strcmp(driverName, kFamilyDriverName) != 0) return false;
  static const DevicePolicy kNoFileDevices;
  const DevicePolicy& devices = cbdata ? *static_cast<const DevicePolicy*>(cbdata) : kNoFileDevices;
  std::string refusal;
  if (!devices.allows(deviceUri, refusal)) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Printer refused: %s.", refusal.c_str());
    return false;
  }
  const FamilyKeywords& keywords = familyKeywords();

  data->printfile_cb = printPdfJob;
  data->format = "application/pdf";
  data->rstartjob_cb = startRasterJob;
  data->rstartpage_cb = startRasterPage;
  data->rwriteline_cb = writeRasterLine;
  data->rendpage_cb = endRasterPage;
  data->rendjob_cb = endRasterJob;
  // Raster pages are printed as PDF images, which take these as they are.
  data->raster_types = PAPPL_PWG_RASTER_TYPE_SGRAY_8 | PAPPL_PWG_RASTER_TYPE_SRGB_8;

  strncpy(data->make_and_model, kFamilyDriverDescription, sizeof data->make_and_model - 1);
  data->ppm = data->ppm_color = kPagesPerMinute;
  data->kind = PAPPL_KIND_DOCUMENT | PAPPL_KIND_ENVELOPE;
  data->color_supported = PAPPL_COLOR_MODE_AUTO | PAPPL_COLOR_MODE_COLOR | PAPPL_COLOR_MODE_MONOCHROME;
  data->color_default = kInitialColorMode;
  data->quality_default = kInitialQuality;
  data->orient_default = kInitialOrientation;
  data->duplex = PAPPL_DUPLEX_NORMAL;
  data->sides_supported = PAPPL_SIDES_ONE_SIDED | PAPPL_SIDES_TWO_SIDED_LONG_EDGE |
                          PAPPL_SIDES_TWO_SIDED_SHORT_EDGE;
  data->sides_default = kInitialSides;
  data->finishings = PAPPL_FINISHINGS_STAPLE | PAPPL_FINISHINGS_PUNCH;
  // Nothing known makes these printers beep, flash or show a message from
  // here, so no identify action is offered.
  data->identify_supported = data->identify_default = PAPPL_IDENTIFY_ACTIONS_NONE;

  data->num_resolution = 0;
  for (int dpi : familyResolutions()) {
    data->x_resolution[data->num_resolution] = dpi;
    data->y_resolution[data->num_resolution++] = dpi;
  }
  data->x_default = data->y_default = kInitialResolution;

  data->left_right = data->bottom_top = kMargin;
  data->num_media = fillList(data->media, keywords.media);
  data->num_source = fillList(data->source, keywords.sources);
  for (int i = 0; i < data->num_source; ++i) data->media_ready[i] = letterIn(keywords.sources[i]);
  data->media_default = data->media_ready[0];
  data->num_type = fillList(data->type, keywords.types);
  data->num_bin = fillList(data->bin, keywords.bins);
  data->bin_default = 0;

  *attrs = ippNew();
  addFamilySettings(data, *attrs);
  addFinishingTemplates(*attrs);
  addDescription(*attrs);
  addJobPassword(*attrs);
  return true;
}

const char* familyAutoAdd(const char*, const char*, const char* deviceId, void*) {
  return deviceId && std::strstr(deviceId, "MFG:Quorlan;") ? kFamilyDriverName : nullptr;
}
