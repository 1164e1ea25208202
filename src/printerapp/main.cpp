// ticketpress-printer-app: an IPP Everywhere printer application for the
// Quorlan PDF laser printers, on PAPPL. Its sub-commands are PAPPL's own
// (server, add, printers, submit, jobs, shutdown, ...).
#include <pappl/pappl.h>

#include "app_system.h"
#include "family_driver.h"

int main(int argc, char* argv[]) {
  pappl_pr_driver_t drivers[] = {
      {kFamilyDriverName, kFamilyDriverDescription, "MFG:Quorlan;CMD:PJL,PDF;MDL:PDF Laser;", nullptr}};
  // The server's system takes the drivers itself, before it reads its state.
  AppDrivers appDrivers{1, drivers, familyAutoAdd, familyDriver};
  return papplMainloop(argc, argv, TICKETPRESS_VERSION, nullptr, appDrivers.count, appDrivers.drivers,
                       appDrivers.autoadd, appDrivers.driver, nullptr, nullptr, createAppSystem, nullptr,
                       &appDrivers);
}
