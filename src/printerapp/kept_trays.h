// Trays that a printer's kept state names as the application named them
// before it offered every tray under an IPP registry keyword: PAPPL keeps
// a tray's media ("media-col-readyN") with the name it was saved under,
// and would offer it to clients under that name, which CUPS drops.
#pragma once

#include <pappl/pappl.h>

// Gives each tray that a printer of system keeps under an old name
// ("manual-paper") in its loaded or default media its keyword ("manual"),
// and logs the printers changed. PAPPL saves the state with the new names.
void renameKeptTrays(pappl_system_t* system);
