#include "kept_trays.h"

#include <cstring>
#include <string_view>

#include "family_tables.h"

namespace {

// Puts the keyword of the tray that source names in its place; true when
// that changed it.
template <size_t N>
bool renameTray(char (&source)[N]) {
  const FamilyTray* tray = familyTrayNamed(source);
  if (!tray || tray->keyword == source || tray->keyword.size() >= N) return false;
  std::memset(source, 0, N);
  tray->keyword.copy(source, N - 1);
  return true;
}

// The default media first: PAPPL takes the default from the loaded media of
// the tray of the default's name.
void renameTraysOf(pappl_printer_t* printer, void*) {
  pappl_pr_driver_data_t data;
  if (!papplPrinterGetDriverData(printer, &data)) return;
  bool readyRenamed = false;
  for (int i = 0; i < data.num_source; ++i) readyRenamed |= renameTray(data.media_ready[i].source);
  const bool defaultRenamed = renameTray(data.media_default.source);
  if (defaultRenamed) papplPrinterSetDriverDefaults(printer, &data, 0, nullptr);
  if (readyRenamed) papplPrinterSetReadyMedia(printer, data.num_source, data.media_ready);
  if (readyRenamed || defaultRenamed)
    papplLogPrinter(printer, PAPPL_LOGLEVEL_INFO, "Trays kept under old names now go by their IPP keywords.");
}

}  // namespace

void renameKeptTrays(pappl_system_t* system) { papplSystemIteratePrinters(system, renameTraysOf, nullptr); }
