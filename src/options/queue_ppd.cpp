#include "queue_ppd.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

#include "cups_library.h"
#include "option_keys.h"

namespace {

// How far (in points) a PPD size may be from a PWG size and still be it.
constexpr float kSizeTolerance = 1.0f;

// Points from 2540ths of an inch (hundredths of millimetres).
float pointsFrom2540ths(int value) { return static_cast<float>(value) * 72.0f / 2540.0f; }

std::string formatPoints(float points) {
  char text[32];
  auto written = std::to_chars(text, text + sizeof text, std::round(points * 100.0f) / 100.0f,
                               std::chars_format::fixed, 2);
  return std::string(text, written.ptr);
}

// Whether the option takes free text, whose dialogs send "Custom.text".
bool takesFreeText(const CupsLibrary& cups, ppd_file_t* ppd, const char* keyword) {
  ppd_coption_t* custom = cups.ppdFindCustomOption(ppd, keyword);
  if (!custom) return false;
  ppd_cparam_t* param = cups.ppdFirstCustomParam(custom);
  return param && (param->type == PPD_CUSTOM_STRING || param->type == PPD_CUSTOM_PASSCODE ||
                   param->type == PPD_CUSTOM_PASSWORD);
}

// The size a PWG, legacy or PPD media name stands for, or null.
pwg_media_t* mediaSizeFor(const CupsLibrary& cups, const std::string& name) {
  pwg_media_t* size = cups.pwgMediaForPWG(name.c_str());
  // "custom_100x150mm" leaves out the name part of "custom_NAME_100x150mm".
  if (!size && name.starts_with("custom_"))
    size = cups.pwgMediaForPWG(("custom_size_" + name.substr(7)).c_str());
  if (!size) size = cups.pwgMediaForLegacy(name.c_str());
  if (!size) size = cups.pwgMediaForPPD(name.c_str());
  return size;
}

}  // namespace

// Defaults that say no more than leaving the option out: a job without
// PrintTo already prints at once, and kPrintDirectly would only move its copies
// from the PJL quantity into the ticket.
constexpr std::array<std::pair<std::string_view, std::string_view>, 1> kNeutralDefaults{{
    {kPrintToKey, kPrintDirectly},
}};

bool isNeutralDefault(std::string_view option, std::string_view choice) {
  for (const auto& [name, value] : kNeutralDefaults)
    if (name == option && value == choice) return true;
  return false;
}

std::unique_ptr<QueuePpd> QueuePpd::open(const char* path) {
  const CupsLibrary* cups = cupsLibrary();
  if (!path || !*path || !cups) return nullptr;
  ppd_file_t* file = cups->ppdOpenFile(path);
  if (!file) return nullptr;
  return std::unique_ptr<QueuePpd>(new QueuePpd(*cups, file));
}

QueuePpd::~QueuePpd() { cups.ppdClose(ppd); }

void QueuePpd::applyDefaults(argumentStore& options) const {
  for (ppd_option_t* option = cups.ppdFirstOption(ppd); option; option = cups.ppdNextOption(ppd)) {
    const bool freeText = takesFreeText(cups, ppd, option->keyword);
    const std::string* given = options.getValue(option->keyword);
    if (given) {
      if (freeText && given->starts_with("Custom."))
        options.setValue(option->keyword, given->substr(7));
      continue;
    }
    // A free-text option's fixed choice only stands for "not given".
    if (freeText || !*option->defchoice || isNeutralDefault(option->keyword, option->defchoice))
      continue;
    options.setValue(option->keyword, option->defchoice);
  }
}

std::optional<std::string> QueuePpd::paperSizeFor(std::string_view media) const {
  const std::string name(media);
  if (!name.starts_with("Custom."))
    if (ppd_size_t* own = cups.ppdPageSize(ppd, name.c_str())) return std::string(own->name);
  pwg_media_t* size = mediaSizeFor(cups, name);
  if (!size) return std::nullopt;

  if (size->ppd && cups.ppdPageSize(ppd, size->ppd)) return std::string(size->ppd);
  const float width = pointsFrom2540ths(size->width);
  const float length = pointsFrom2540ths(size->length);
  for (int i = 0; i < ppd->num_sizes; ++i) {
    const ppd_size_t& candidate = ppd->sizes[i];
    if (std::strncmp(candidate.name, "Custom", 6) == 0) continue;
    if (std::fabs(candidate.width - width) <= kSizeTolerance &&
        std::fabs(candidate.length - length) <= kSizeTolerance)
      return std::string(candidate.name);
  }
  return "Custom." + formatPoints(width) + "x" + formatPoints(length);
}

std::vector<std::string> QueuePpd::choicesOf(std::string_view keyword) const {
  std::vector<std::string> choices;
  if (ppd_option_t* option = cups.ppdFindOption(ppd, std::string(keyword).c_str()))
    for (int i = 0; i < option->num_choices; ++i) choices.emplace_back(option->choices[i].choice);
  return choices;
}
