// The "server" sub-command. The application runs its server itself rather
// than through papplMainloop, which would give PAPPL a local socket whose
// every client may administer; the sub-commands reach this server through
// the application's own local socket (local_gate.h).
#pragma once

#include "app_system.h"

// Whether argv names the server sub-command, as papplMainloop reads it.
bool isServerCommand(int argc, char* argv[]);

// Runs the server with the -o options of argv until it is shut down, and
// returns the exit status. version is the application's.
int runAppServer(int argc, char* argv[], const char* version, AppDrivers& drivers);
