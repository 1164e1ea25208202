// Where the paper of a page range comes from and what it is: PaperTray,
// PaperSize and MediaType.
#include <array>

#include "form_job_ticket.h"
#include "keyword_table.h"
#include "option_keys.h"
#include "xml_text.h"

namespace {

// The option keywords have no space ("Tray1"); the ticket's names have one.
constexpr std::array<KeywordFragment, 9> kPaperTrays{{
    {"MultipurposeFeeder", "PaperTray=\"MP Feeder\" "},
    {"ManualPaper", "PaperTray=\"Manual Paper\" "},
    {"ManualEnv", "PaperTray=\"Manual Envelope\" "},
    {"EnvFeeder", "PaperTray=\"Envelope Feeder\" "},
    {"Tray5", "PaperTray=\"Tray 5\" "},
    {"Tray4", "PaperTray=\"Tray 4\" "},
    {"Tray3", "PaperTray=\"Tray 3\" "},
    {"Tray2", "PaperTray=\"Tray 2\" "},
    {"Tray1", "PaperTray=\"Tray 1\" "},
}};

struct PaperSize {
  std::string_view keyword;
  std::string_view fragment;
  bool envelope;
};

// "B4"/"B5" are the JIS sizes; "ISOB5" is the B5 envelope; "C4" is the
// printer's "9 Envelope".
constexpr std::array<PaperSize, 19> kPaperSizes{{
    {"A3", "PaperSize=\"A3\" ", false},
    {"A4", "PaperSize=\"A4\" ", false},
    {"A5", "PaperSize=\"A5\" ", false},
    {"B4", "PaperSize=\"JISB4\" ", false},
    {"B5", "PaperSize=\"JISB5\" ", false},
    {"Letter", "PaperSize=\"Letter\" ", false},
    {"Legal", "PaperSize=\"Legal\" ", false},
    {"Executive", "PaperSize=\"Executive\" ", false},
    {"Folio", "PaperSize=\"Folio\" ", false},
    {"Statement", "PaperSize=\"Statement\" ", false},
    {"Universal", "PaperSize=\"Universal\" ", false},
    {"OthEnv", "PaperSize=\"Other Envelope\" ", true},
    {"Monarch", "PaperSize=\"7 3/4 Envelope\" ", true},
    {"Comm10", "PaperSize=\"10 Envelope\" ", true},
    {"DL", "PaperSize=\"DL Envelope\" ", true},
    {"C4", "PaperSize=\"9 Envelope\" ", true},
    {"C5", "PaperSize=\"C5 Envelope\" ", true},
    {"ISOB5", "PaperSize=\"B5 Envelope\" ", true},
    {"11x17", "PaperSize=\"11x17\" ", false},
}};

constexpr std::string_view kUniversalPaper = "PaperSize=\"Universal\" ";

constexpr std::array<KeywordFragment, 17> kMediaTypes{{
    {"Plain", "MediaType=\"Plain Paper\" "},
    {"Bond", "MediaType=\"Bond\" "},
    {"Transparency", "MediaType=\"Transparency\" "},
    {"Card", "MediaType=\"Card Stock\" "},
    {"Labels", "MediaType=\"Labels\" "},
    {"Letterhead", "MediaType=\"Letterhead\" "},
    {"Preprint", "MediaType=\"Preprinted\" "},
    {"Colored", "MediaType=\"Colored Paper\" "},
    {"Envelope", "MediaType=\"Envelope\" "},
    {"Vinyl", "MediaType=\"Vinyl\" "},
    {"Glossy", "MediaType=\"Glossy\" "},
    {"Custom1", "MediaType=\"Custom Type 1\" "},
    {"Custom2", "MediaType=\"Custom Type 2\" "},
    {"Custom3", "MediaType=\"Custom Type 3\" "},
    {"Custom4", "MediaType=\"Custom Type 4\" "},
    {"Custom5", "MediaType=\"Custom Type 5\" "},
    {"Custom6", "MediaType=\"Custom Type 6\" "},
}};

constexpr std::string_view kEnvelopeMedia = "MediaType=\"Envelope\" ";

}  // namespace

// PaperTray from the range's source keyword; no default tray.
void formJobTicket::setPaperSource(const std::string* paperSource) {
  if (!paperSource) return;
  if (const KeywordFragment* row = findKeyword(kPaperTrays, *paperSource))
    append(std::string(row->fragment));
}

// PaperSize from the media option; any size outside the table (custom
// sizes among them) is "Universal". Leaves isEnvelope for this range's media type.
void formJobTicket::setPaperSize() {
  isEnvelope = false;
  const std::string* media = option(kMediaKey);
  if (!media) return;
  for (const PaperSize& row : kPaperSizes) {
    if (row.keyword == *media) {
      append(std::string(row.fragment));
      isEnvelope = row.envelope;
      return;
    }
  }
  append(std::string(kUniversalPaper));
}

// MediaType from the MediaType option; the printer's own setting means
// "Envelope" on an envelope size; unknown types pass through as the
// printer's name.
void formJobTicket::setMediaType() {
  const std::string* type = option(kMediaTypeKey);
  if (!type) return;
  if (*type == kPrinterSetting) {
    if (isEnvelope) append(std::string(kEnvelopeMedia));
    return;
  }
  if (const KeywordFragment* row = findKeyword(kMediaTypes, *type)) {
    append(std::string(row->fragment));
    return;
  }
  append("MediaType=\"" + escapeXmlAttribute(*type) + "\" ");
}
