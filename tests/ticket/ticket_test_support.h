// Builds tickets from option strings and the documents they should give.
#pragma once

#include <string>

#include "form_job_ticket.h"

// The document the ticket of optionString gives.
inline std::string ticketText(const std::string& optionString, int32_t newCopiesCount = 1) {
  return formJobTicket::initWithTicket(argumentStore::initWithOptionString(optionString.c_str()),
                                       newCopiesCount)
      ->text();
}

// The whole document of one range (1, lastPage) carrying attributes, for a
// job without a name, with the printer making the copies.
inline std::string oneRangeDocument(const std::string& attributes, int lastPage = 1) {
  return "<QuorlanFormJobTicket JobName=\"\" >\n"
         "<PageAttribRange StartPageNum=\"1\" EndPageNum=\"" +
         std::to_string(lastPage) + "\" " + attributes +
         "Copies=\"1\">\n</PageAttribRange>\n</QuorlanFormJobTicket>\n";
}
