// ticketpress-printer-app: an IPP Everywhere printer application for the
// Quorlan PDF laser printers, on PAPPL. Its sub-commands are PAPPL's own
// (add, printers, submit, jobs, shutdown, ...), but for the server, which
// the application runs itself behind its own local socket.
#include <pappl/pappl.h>
#include <libgen.h>
#include <strings.h>

#include <cstdio>
#include <string_view>

#include "app_server.h"
#include "app_system.h"
#include "device_policy.h"
#include "family_driver.h"
#include "printer_socket.h"

namespace {

// Whether the sub-command's options give a file: device URI (-v).
bool namesFileDevice(int argc, char* argv[]) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string_view(argv[i]) == "-v" && strncasecmp(argv[i + 1], "file:", 5) == 0) return true;
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  registerDeviceSchemes();
  pappl_pr_driver_t drivers[] = {
      {kFamilyDriverName, kFamilyDriverDescription, "MFG:Quorlan;CMD:PJL,PDF;MDL:PDF Laser;", nullptr}};
  // The server's system takes the drivers itself, before it reads its state.
  AppDrivers appDrivers{1, drivers, familyAutoAdd, familyDriver};
  if (isServerCommand(argc, argv)) return runAppServer(argc, argv, TICKETPRESS_VERSION, appDrivers);
  const int status = papplMainloop(argc, argv, TICKETPRESS_VERSION, nullptr, appDrivers.count, appDrivers.drivers,
                                   appDrivers.autoadd, appDrivers.driver, nullptr, nullptr, createAppSystem, nullptr,
                                   &appDrivers);
  // The server's answer names only the driver; the server's log says more.
  if (status != 0 && namesFileDevice(argc, argv))
    fprintf(stderr,
            "%s: The server takes a file: device only into the folder its -o %s=FOLDER option names.\n",
            basename(argv[0]), kFileDeviceFolderOption);
  return status;
}
