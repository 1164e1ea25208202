// libcups, loaded the first time it is needed rather than when a program
// starts. libcups brings some thirty libraries that take several
// milliseconds to load; the filter starts its child filter first and loads
// them while the child works.
#pragma once

#include <cups/cups.h>
#include <cups/ppd.h>

#include <string>

// The libcups functions the option store and the queue's PPD use. The PPD
// functions are marked deprecated; they are still what reads a queue's PPD.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
struct CupsLibrary {
  decltype(&::cupsParseOptions) parseOptions;
  decltype(&::cupsFreeOptions) freeOptions;
  decltype(&::ppdOpenFile) ppdOpenFile;
  decltype(&::ppdClose) ppdClose;
  decltype(&::ppdFirstOption) ppdFirstOption;
  decltype(&::ppdNextOption) ppdNextOption;
  decltype(&::ppdFindOption) ppdFindOption;
  decltype(&::ppdFindCustomOption) ppdFindCustomOption;
  decltype(&::ppdFirstCustomParam) ppdFirstCustomParam;
  decltype(&::ppdPageSize) ppdPageSize;
  decltype(&::pwgMediaForPWG) pwgMediaForPWG;
  decltype(&::pwgMediaForLegacy) pwgMediaForLegacy;
  decltype(&::pwgMediaForPPD) pwgMediaForPPD;
};
#pragma GCC diagnostic pop

// Loads libcups once per process (from any thread); null when it cannot
// be loaded or lacks a function, and cupsLibraryError says why.
const CupsLibrary* cupsLibrary();

// Why cupsLibrary gave null; empty when it did not.
const std::string& cupsLibraryError();
