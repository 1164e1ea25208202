#include "messages.h"

#include <cstdio>

void reportLine(const std::string& line) {
  fputs(line.c_str(), stderr);
  fflush(stderr);
}

