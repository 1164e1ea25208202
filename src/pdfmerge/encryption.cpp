#include "encryption.h"

#include "merge_fault.h"

namespace {

// Crypt filters, and with them the Identity filter, begin with /V 4.
constexpr int64_t kFirstCryptFilterVersion = 4;

}  // namespace

// Reads /V of the encryption dictionary, direct or indirect.
bool ticketCryptFor(std::string_view pdf, const XrefChain& chain, TicketCrypt& crypt,
                    MergeResult& fault) {
  crypt = TicketCrypt::None;
  const PdfValue* encrypt = nullptr;
  for (const TrailerCopy& copy : chain.trailer) {
    encrypt = dictGet(copy.dict, "Encrypt");
    if (encrypt != nullptr) break;
  }
  if (encrypt == nullptr || encrypt->kind == PdfKind::Null) return true;
  PdfValue resolved;
  const PdfValue* dict = encrypt;
  if (encrypt->kind == PdfKind::Reference) {
    std::optional<xref_entry> entry;
    if (encrypt->integer <= kMaxObjectNumber)
      entry = chain.table.find(static_cast<int32_t>(encrypt->integer),
                               static_cast<int32_t>(encrypt->generation));
    if (!entry || entry->objectP < 0)
      return malformed(fault, "/Encrypt names an object that is not in the file", pdf.size());
    size_t pos = static_cast<size_t>(entry->objectP);
    int64_t num = 0, gen = 0;
    SyntaxError error;
    if (!readObjectHeader(pdf, pos, num, gen) || !parsePdfObject(pdf, pos, resolved, error))
      return malformed(fault, "unreadable encryption dictionary", static_cast<size_t>(entry->objectP));
    dict = &resolved;
  }
  if (dict->kind != PdfKind::Dictionary)
    return malformed(fault, "/Encrypt is not a dictionary", static_cast<size_t>(dict->start));
  int64_t version = 0;
  const PdfValue* v = dictGet(*dict, "V");
  if (v != nullptr && !asInteger(v, 0, 99, version))
    return malformed(fault, "encryption dictionary with a bad /V", v->start);
  crypt = version >= kFirstCryptFilterVersion ? TicketCrypt::Identity : TicketCrypt::Impossible;
  return true;
}
