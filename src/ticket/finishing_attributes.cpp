// How a page range is printed and delivered: Duplex, Resolution, HolePunch,
// Staple, TonerSaver, Collation and OutputBin. kPrinterSetting (the
// printer's own setting) is in none of the tables, so it gives no fragment.
#include <array>

#include "form_job_ticket.h"
#include "keyword_table.h"
#include "option_keys.h"
#include "string_additions.h"

namespace {

constexpr std::array<KeywordFragment, 3> kDuplexModes{{
    {"1", "Duplex=\"Simplex\" "},
    {"2", "Duplex=\"Long Edge\" "},
    {"3", "Duplex=\"Short Edge\" "},
}};

constexpr std::array<KeywordFragment, 6> kResolutions{{
    {"300dpi", "Resolution=\"300\" "},
    {"600dpi", "Resolution=\"600\" "},
    {"1200dpi", "Resolution=\"1200\" "},
    {"1200IQ", "Resolution=\"1200IQ\" "},
    {"2400IQ", "Resolution=\"2400IQ\" "},
    {"4800CQ", "Resolution=\"4800CQ\" "},
}};

// Only the forms with the trailing "M" are hole punch keywords.
constexpr std::array<KeywordFragment, 5> kHolePunches{{
    {"FalseM", "HolePunch=\"Off\" "},
    {"TrueM", "HolePunch=\"On\" "},
    {"2Hole", "HolePunch=\"2-Hole\" "},
    {"3Hole", "HolePunch=\"3-Hole\" "},
    {"4Hole", "HolePunch=\"4-Hole\" "},
}};

// Both "False" and "FalseM" turn stapling off; only "TrueM" turns it on.
constexpr std::array<KeywordFragment, 7> kStaples{{
    {"False", "Staple=\"Off\" "},
    {"FalseM", "Staple=\"Off\" "},
    {"TrueM", "Staple=\"On\" "},
    {"Auto", "Staple=\"Auto\" "},
    {"Front", "Staple=\"Front\" "},
    {"Back", "Staple=\"Back\" "},
    {"Dual", "Staple=\"Dual\" "},
}};

// The finisher bins share the numbers of bins 1 and 2; the standard and the
// second exit bin are both bin 0.
constexpr std::array<KeywordFragment, 14> kOutputBins{{
    {"Bin1", "OutputBin=\"1\" "},
    {"FinisherBin1", "OutputBin=\"1\" "},
    {"Bin2", "OutputBin=\"2\" "},
    {"FinisherBin2", "OutputBin=\"2\" "},
    {"Bin3", "OutputBin=\"3\" "},
    {"Bin4", "OutputBin=\"4\" "},
    {"Bin5", "OutputBin=\"5\" "},
    {"Bin6", "OutputBin=\"6\" "},
    {"Bin7", "OutputBin=\"7\" "},
    {"Bin8", "OutputBin=\"8\" "},
    {"Bin9", "OutputBin=\"9\" "},
    {"Bin10", "OutputBin=\"10\" "},
    {"StandardBin", "OutputBin=\"0\" "},
    {"2ndExitBin", "OutputBin=\"0\" "},
}};

// Darkness levels above this one print without the toner saver.
constexpr int32_t kHighestTonerSavingDarkness = 5;

}  // namespace

void formJobTicket::appendFromTable(std::string_view optionName,
                                    std::span<const KeywordFragment> table) {
  const std::string* value = option(optionName);
  if (!value) return;
  if (const KeywordFragment* row = findKeyword(table, *value)) append(std::string(row->fragment));
}

void formJobTicket::setDuplex() { appendFromTable(kDuplexingKey, kDuplexModes); }

void formJobTicket::setResolution() { appendFromTable(kResolutionKey, kResolutions); }

void formJobTicket::setHolePunch() { appendFromTable(kHolePunchKey, kHolePunches); }

void formJobTicket::setStapleJob() { appendFromTable(kStapleJobKey, kStaples); }

void formJobTicket::setOutputBin() { appendFromTable(kOutputBinKey, kOutputBins); }

// Any level but the printer's own setting decides by its number.
void formJobTicket::setTonerDarkness() {
  const std::string* darkness = option(kTonerDarknessKey);
  if (!darkness || *darkness == kPrinterSetting) return;
  append(intValue(*darkness) > kHighestTonerSavingDarkness ? "TonerSaver=\"Off\" "
                                                           : "TonerSaver=\"On\" ");
}

// Only the text "true" collates; every other value is off.
void formJobTicket::setCollation() {
  const std::string* collate = option(kCopyCollateKey);
  if (!collate) return;
  append(*collate == "true" ? "Collation=\"On\" " : "Collation=\"Off\" ");
}
