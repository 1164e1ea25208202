#include "job_options.h"

#include <array>
#include <charconv>
#include <cmath>

#include "family_settings.h"
#include "family_tables.h"
#include "ipp_job_attributes.h"
#include "option_keys.h"
#include "queue_ppd.h"
#include "string_additions.h"

namespace {

// The job template attributes the translation reads, as a client sends them.
// A PIN never comes from the job's attributes: see job_pins.h.
constexpr std::array<std::string_view, 11> kPassedAttributes{
    kSidesKey,           kMediaKey,          kDocumentHandlingKey,  kFinishingsKey,
    kPrintColorModeKey,  kPrintQualityKey,   kPrinterResolutionKey, kOutputBinAttributeKey,
    kMediaSourceKey,     kMediaTypeAttributeKey, kAccountingUserKey};

// One value as CUPS writes it for a filter.
std::string valueText(ipp_attribute_t* attr, int i) {
  switch (ippGetValueTag(attr)) {
    case IPP_TAG_INTEGER:
    case IPP_TAG_ENUM:
      return std::to_string(ippGetInteger(attr, i));
    case IPP_TAG_BOOLEAN:
      return ippGetBoolean(attr, i) ? "true" : "false";
    case IPP_TAG_RANGE: {
      int upper = 0;
      const int lower = ippGetRange(attr, i, &upper);
      return lower == upper ? std::to_string(lower)
                            : std::to_string(lower) + "-" + std::to_string(upper);
    }
    case IPP_TAG_RESOLUTION: {
      int y = 0;
      ipp_res_t units = IPP_RES_PER_INCH;
      const int x = ippGetResolution(attr, i, &y, &units);
      return std::to_string(x) + "x" + std::to_string(y) +
             (units == IPP_RES_PER_INCH ? "dpi" : "dpcm");
    }
    case IPP_TAG_STRING: {
      int length = 0;
      const void* data = ippGetOctetString(attr, i, &length);
      return std::string(static_cast<const char*>(data), static_cast<size_t>(length));
    }
    default: {
      const char* text = ippGetString(attr, i, nullptr);
      return text ? text : "";
    }
  }
}

// Every value, comma-separated.
std::string attributeText(ipp_attribute_t* attr) {
  std::string text;
  for (int i = 0; i < ippGetCount(attr); ++i) {
    if (i) text += ',';
    text += valueText(attr, i);
  }
  return text;
}

// Points, with two decimals at most.
std::string pointsOf(int hundredthsOfMillimetres) {
  const double points = std::round(hundredthsOfMillimetres * 72.0 / 25.4) / 100.0;
  // Whatever the locale: a filter reads the size with a point.
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, points, std::chars_format::fixed, 2);
  std::string value(text, written.ec == std::errc() ? written.ptr : text);
  if (value.empty()) value = "0";
  while (value.back() == '0') value.pop_back();
  if (value.back() == '.') value.pop_back();
  return value;
}

// media, media-source and media-type out of media-col. Dimensions alone
// (as CUPS's ipp backend sends them) of a family size mean that size, so
// that the printer takes it from the tray that holds it.
void addMediaCol(ipp_t* col, std::vector<std::pair<std::string, std::string>>& options,
                 const SentAttribute& sent) {
  ipp_attribute_t* name = ippFindAttribute(col, "media-size-name", IPP_TAG_ZERO);
  ipp_attribute_t* size = ippFindAttribute(col, "media-size", IPP_TAG_BEGIN_COLLECTION);
  if (!sent(std::string(kMediaKey).c_str())) {
    if (name) {
      options.emplace_back(kMediaKey, attributeText(name));
    } else if (size) {
      ipp_t* dims = ippGetCollection(size, 0);
      ipp_attribute_t* x = ippFindAttribute(dims, "x-dimension", IPP_TAG_INTEGER);
      ipp_attribute_t* y = ippFindAttribute(dims, "y-dimension", IPP_TAG_INTEGER);
      if (x && y) {
        const int width = ippGetInteger(x, 0), height = ippGetInteger(y, 0);
        if (const FamilyPaper* paper = familyPaperOfSize(width * 72.0 / 2540.0, height * 72.0 / 2540.0))
          options.emplace_back(kMediaKey, paper->pwg);
        else
          options.emplace_back(kMediaKey, "Custom." + pointsOf(width) + "x" + pointsOf(height));
      }
    }
  }
  for (std::string_view key : {kMediaSourceKey, kMediaTypeAttributeKey}) {
    const std::string name(key);
    ipp_attribute_t* inside = ippFindAttribute(col, name.c_str(), IPP_TAG_ZERO);
    if (inside && !sent(name.c_str())) options.emplace_back(name, attributeText(inside));
  }
}

// finishings out of the presets of finishings-col, by their names in any
// case ("staple" is 4): a CUPS queue lists them capitalised ("Staple"), and
// a print dialog sends the name it listed.
void addFinishingTemplates(ipp_attribute_t* finishingsCol, std::vector<std::pair<std::string, std::string>>& options) {
  std::string values;
  for (int i = 0; i < ippGetCount(finishingsCol); ++i) {
    ipp_attribute_t* preset = ippFindAttribute(ippGetCollection(finishingsCol, i), "finishing-template", IPP_TAG_ZERO);
    const char* name = preset ? ippGetString(preset, 0, nullptr) : nullptr;
    const int value = name ? ippEnumValue("finishings", lowerCased(name).c_str()) : -1;
    if (value > IPP_FINISHINGS_NONE) values += (values.empty() ? "" : ",") + std::to_string(value);
  }
  if (!values.empty()) options.emplace_back(kFinishingsKey, values);
}

// "auto" (in any case) of a tray, media type or output bin leaves the
// printer's setting.
bool leavesPrinterSetting(std::string_view name, std::string_view value) {
  return equalsIgnoringCase(value, "auto") &&
         (name == kMediaSourceKey || name == kMediaTypeAttributeKey || name == kOutputBinAttributeKey);
}

// The print-scaling values the PDF-to-PDF filter knows.
constexpr std::array<std::string_view, 5> kScalings{"auto", "auto-fit", "fill", "fit", "none"};

// A paper size name the filter may be given: letters, digits, '.' and 'x'
// (the family's names, and "Custom." sizes in points).
bool isPaperName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'))
      return false;
  return true;
}

}  // namespace

std::string pdfFilterOptions(const SentAttribute& sent) {
  std::string options;
  if (ipp_attribute_t* ranges = sent("page-ranges"); ranges && ippGetValueTag(ranges) == IPP_TAG_RANGE)
    options += " page-ranges=" + valueText(ranges, 0);
  if (ipp_attribute_t* orientation = sent("orientation-requested");
      orientation && ippGetValueTag(orientation) == IPP_TAG_ENUM) {
    const int value = ippGetInteger(orientation, 0);
    if (value >= IPP_ORIENT_PORTRAIT && value <= IPP_ORIENT_REVERSE_PORTRAIT)
      options += " orientation-requested=" + std::to_string(value);
  }
  if (ipp_attribute_t* scaling = sent("print-scaling")) {
    const std::string value = valueText(scaling, 0);
    for (std::string_view known : kScalings)
      if (value == known) options += " print-scaling=" + value;
  }
  if (options.empty()) return options;
  // The paper to scale to, by the name the filter knows it by.
  const FamilyChoices printer;
  for (const auto& [name, value] : clientOptions(sent))
    if (name == kMediaKey)
      if (std::optional<std::string> paper = printer.paperSizeFor(value); paper && isPaperName(*paper))
        options += " PageSize=" + *paper;
  return options.substr(1);
}

std::vector<std::pair<std::string, std::string>> clientOptions(const SentAttribute& sent) {
  std::vector<std::pair<std::string, std::string>> options;
  for (std::string_view key : kPassedAttributes) {
    const std::string name(key);
    if (ipp_attribute_t* attr = sent(name.c_str())) options.emplace_back(name, attributeText(attr));
  }
  if (ipp_attribute_t* mediaCol = sent("media-col"))
    addMediaCol(ippGetCollection(mediaCol, 0), options, sent);
  if (ipp_attribute_t* finishingsCol = sent("finishings-col"); finishingsCol && !sent(std::string(kFinishingsKey).c_str()))
    addFinishingTemplates(finishingsCol, options);
  std::erase_if(options, [](const auto& option) {
    return leavesPrinterSetting(option.first, option.second);
  });
  return options;
}

JobOptions optionsForJob(const SentAttribute& sent, const SettingValue& setting, const ClientJob& job,
                         const JobPin* pin) {
  JobOptions result;
  result.options = argumentStore::initWithOptionString("");
  if (!result.options) return result;
  argumentStore& options = *result.options;
  for (const auto& [name, value] : clientOptions(sent)) options.setValue(name, value);
  if (pin) {
    options.setValue(std::string(kJobPasswordKey), pin->password);
    options.setValue(std::string(kJobPasswordEncryptionKey), pin->encryption);
  }
  // A family setting the job gave itself counts as the job's PPD option.
  for (const FamilySetting& family : familySettings())
    if (sent(std::string(family.attribute).c_str()))
      if (std::optional<std::string> value = setting(family.attribute))
        if (std::optional<std::string_view> choice = choiceFor(family, *value))
          options.setValue(std::string(family.option), std::string(*choice));
  result.refusal = holdUnderJobPassword(options);
  const FamilyChoices printer;
  mapJobAttributes(options, &printer);
  for (const FamilySetting& family : familySettings())
    if (std::optional<std::string> value = setting(family.attribute))
      if (std::optional<std::string_view> choice = choiceFor(family, *value))
        if (!isNeutralDefault(family.option, *choice)) options.setValueIfAbsent(family.option, *choice);
  deriveMacPrintSettings(options, job, printer);
  return result;
}
