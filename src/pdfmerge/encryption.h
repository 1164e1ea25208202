// Whether the ticket of an encrypted input can be stored readable: a
// reader decrypts every stream of such a file, so the ticket must name the
// Identity crypt filter, which only crypt-filter security handlers (/V 4
// and up) offer.
#pragma once

#include <string_view>

#include "merge_result.h"
#include "xref_reader.h"

enum class TicketCrypt {
  None,        // the input is not encrypted
  Identity,    // write the ticket through the Identity crypt filter
  Impossible,  // no readable ticket can be written
};

// Decides from the newest trailer's /Encrypt.
bool ticketCryptFor(std::string_view pdf, const XrefChain& chain, TicketCrypt& crypt,
                    MergeResult& fault);
