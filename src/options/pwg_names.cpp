#include "pwg_names.h"

#include <array>
#include <span>

#include "string_additions.h"

namespace {

// How a PPD name is compared with a well-known one: whole, or by its start.
enum class Match { whole, prefix };

struct WellKnownName {
  std::string_view ppd;
  Match match;
  std::string_view pwg;
};

// CUPS's own tables, in its order of testing (names compared without case).
constexpr std::array<WellKnownName, 14> kSourceNames{{
    {"Auto", Match::prefix, "auto"},
    {"Default", Match::whole, "auto"},
    {"Cassette", Match::whole, "main"},
    {"PhotoTray", Match::whole, "photo"},
    {"CDTray", Match::whole, "disc"},
    {"Multipurpose", Match::prefix, "by-pass-tray"},
    {"MP", Match::whole, "by-pass-tray"},
    {"MPTray", Match::whole, "by-pass-tray"},
    {"LargeCapacity", Match::whole, "large-capacity"},
    {"Lower", Match::prefix, "bottom"},
    {"Middle", Match::prefix, "middle"},
    {"Upper", Match::prefix, "top"},
    {"Side", Match::prefix, "side"},
    {"Roll", Match::whole, "main-roll"},
}};

constexpr std::array<WellKnownName, 15> kTypeNames{{
    {"Auto", Match::prefix, "auto"},
    {"Any", Match::whole, "auto"},
    {"Default", Match::whole, "auto"},
    {"Card", Match::prefix, "cardstock"},
    {"Env", Match::prefix, "envelope"},
    {"Gloss", Match::prefix, "photographic-glossy"},
    {"HighGloss", Match::whole, "photographic-high-gloss"},
    {"Matte", Match::whole, "photographic-matte"},
    {"Plain", Match::prefix, "stationery"},
    {"Coated", Match::prefix, "stationery-coated"},
    {"Inkjet", Match::whole, "stationery-inkjet"},
    {"Letterhead", Match::whole, "stationery-letterhead"},
    {"Preprint", Match::prefix, "stationery-preprinted"},
    {"Recycled", Match::whole, "stationery-recycled"},
    {"Transparen", Match::prefix, "transparency"},
}};

bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isLower(char c) { return c >= 'a' && c <= 'z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlnum(char c) { return isUpper(c) || isLower(c) || isDigit(c); }
char lowered(char c) { return isUpper(c) ? static_cast<char>(c - 'A' + 'a') : c; }

// A name already in keyword form: lower case first, no capital, no
// underscore, no doubled or trailing dash.
bool isKeywordAlready(std::string_view name) {
  if (name.empty() || !isLower(name[0])) return false;
  for (size_t i = 1; i < name.size(); ++i) {
    const char c = name[i];
    if (isUpper(c) || c == '_') return false;
    if (c == '-' && (name[i - 1] == '-' || i + 1 == name.size())) return false;
  }
  return true;
}

// CUPS's conversion of any other PPD name: lower case, a dash for '_' and
// '-' (never two, never first or last), and a dash where a lower-case
// letter or digit meets a capital, or a non-digit meets a digit.
std::string keywordOf(std::string_view name) {
  if (isKeywordAlready(name)) return std::string(name);
  std::string keyword;
  bool noDash = true;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (isAlnum(c)) {
      keyword += lowered(c);
      noDash = false;
    } else if (c == '-' || c == '_') {
      if (!noDash) keyword += '-';
      noDash = true;
    } else {
      keyword += c;
      noDash = false;
    }
    const char next = i + 1 < name.size() ? name[i + 1] : '\0';
    if (!noDash && ((!isUpper(c) && isAlnum(c) && isUpper(next)) || (!isDigit(c) && isDigit(next)))) {
      keyword += '-';
      noDash = true;
    }
  }
  while (!keyword.empty() && keyword.back() == '-') keyword.pop_back();
  return keyword;
}

}  // namespace

std::string pwgNameOf(std::string_view ppdChoice, PwgChoiceKind kind) {
  std::span<const WellKnownName> table;
  if (kind == PwgChoiceKind::mediaSource) table = kSourceNames;
  if (kind == PwgChoiceKind::mediaType) table = kTypeNames;
  for (const WellKnownName& known : table) {
    const std::string_view start = ppdChoice.substr(0, known.ppd.size());
    if (known.match == Match::prefix ? equalsIgnoringCase(start, known.ppd)
                                     : equalsIgnoringCase(ppdChoice, known.ppd))
      return std::string(known.pwg);
  }
  return keywordOf(ppdChoice);
}
