// Lines for the spooler on standard error ("ERROR: ...", "INFO: ...").
#pragma once

#include <string>

// Writes one message line for the spooler to standard error, at once.
void reportLine(const std::string& line);
