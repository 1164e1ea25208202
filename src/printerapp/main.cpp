// ticketpress-printer-app: an IPP Everywhere printer application for the
// Quorlan PDF laser printers, on PAPPL. Its sub-commands are PAPPL's own
// (server, add, printers, submit, jobs, shutdown, ...).
#include <pappl/pappl.h>

#include "app_system.h"
#include "family_driver.h"

int main(int argc, char* argv[]) {
  pappl_pr_driver_t drivers[] = {
      {kFamilyDriverName, kFamilyDriverDescription, "MFG:Quorlan;CMD:PJL,PDF;MDL:PDF Laser;", nullptr}};
  return papplMainloop(argc, argv, TICKETPRESS_VERSION, nullptr, 1, drivers, familyAutoAdd,
                       familyDriver, nullptr, nullptr, createAppSystem, nullptr, nullptr);
}
