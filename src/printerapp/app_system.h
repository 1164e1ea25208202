// The printer application's system: where it listens (localhost unless
// told otherwise), its spool folder, log and state, from the options of
// its "server" sub-command.
#pragma once

#include <pappl/pappl.h>

// The program's name: the base of its socket, state and spool names.
inline constexpr const char* kAppName = "ticketpress-printer-app";

// The printer drivers, for the system to know before it reads its state:
// PAPPL drops a kept printer whose driver it does not know yet.
struct AppDrivers {
  int count;
  pappl_pr_driver_t* drivers;
  pappl_pr_autoadd_cb_t autoadd;
  pappl_pr_driver_cb_t driver;
};

// PAPPL's system callback; data is the AppDrivers, whose driver callback
// gets the system's DevicePolicy as its data. Options (-o name=value):
// listen-hostname (default "localhost"; "*" for every address; the server
// listens on localhost too, for its local socket), server-port (0, the
// default, lets PAPPL choose), file-device-folder (the one folder that
// file: devices may write into; without it they are refused),
// spool-directory, log-file, log-level (fatal, error, warn, info, debug),
// state-file, admin-group (the members who may change settings, with
// their password; default lpadmin, else root), auth-service (the PAM
// service that checks it; default cups), server-options (as PAPPL's own:
// web-remote, web-log, no-tls, ...).
pappl_system_t* createAppSystem(int numOptions, cups_option_t* options, void* data);
