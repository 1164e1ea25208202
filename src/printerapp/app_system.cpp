#include "app_system.h"

#include <grp.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "admin_auth.h"
#include "device_policy.h"
#include "family_strings.h"
#include "job_order.h"
#include "job_pins.h"
#include "kept_state.h"
#include "kept_trays.h"
#include "raster_spool.h"

namespace {

constexpr const char* kFooter =
    "ticketpress, the printer application of the Quorlan PDF laser printers.";

// The value of option name, or fallback.
const char* optionOr(int count, cups_option_t* options, const char* name, const char* fallback) {
  const char* value = cupsGetOption(name, count, options);
  return value ? value : fallback;
}

pappl_loglevel_t logLevelOf(std::string_view name) {
  if (name == "fatal") return PAPPL_LOGLEVEL_FATAL;
  if (name == "error") return PAPPL_LOGLEVEL_ERROR;
  if (name == "info") return PAPPL_LOGLEVEL_INFO;
  if (name == "debug") return PAPPL_LOGLEVEL_DEBUG;
  return PAPPL_LOGLEVEL_WARN;
}

// The web interface, multiple printers, and what server-options adds or
// takes away, as PAPPL's own programs read it.
pappl_soptions_t systemOptions(const char* list) {
  pappl_soptions_t options = PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE;
  std::string_view rest = list ? list : "";
  while (!rest.empty()) {
    const std::string_view item = rest.substr(0, rest.find(','));
    rest.remove_prefix(std::min(rest.size(), item.size() + 1));
    if (item == "web-remote") options |= PAPPL_SOPTIONS_WEB_REMOTE;
    if (item == "web-log") options |= PAPPL_SOPTIONS_WEB_LOG;
    if (item == "web-security") options |= PAPPL_SOPTIONS_WEB_SECURITY;
    if (item == "web-tls") options |= PAPPL_SOPTIONS_WEB_TLS;
    if (item == "no-tls") options |= PAPPL_SOPTIONS_NO_TLS;
    if (item == "no-web-interface") options &= ~static_cast<pappl_soptions_t>(PAPPL_SOPTIONS_WEB_INTERFACE);
  }
  return options;
}

// CUPS's administrators on Debian, else root.
const char* defaultAdminGroup() { return getgrnam("lpadmin") ? "lpadmin" : "root"; }

// Saves the state where the state-file option says.
bool saveState(pappl_system_t* system, void* path) {
  return saveKeptState(system, static_cast<const char*>(path));
}

// Whether the server listens on a loopback address when it listens on
// listen: the application's local socket relays to one.
bool listensOnLoopback(std::string_view listen) {
  return listen == "*" || listen == "localhost" || listen == "127.0.0.1" || listen == "[::1]";
}

// The device rule of the options, or nullopt after saying why it is wrong.
std::optional<DevicePolicy> devicePolicyOf(int count, cups_option_t* options) {
  const char* folder = cupsGetOption(kFileDeviceFolderOption, count, options);
  if (!folder) return DevicePolicy();
  std::string error;
  std::optional<DevicePolicy> policy = DevicePolicy::withFileFolder(folder, error);
  if (!policy) fprintf(stderr, "%s: %s\n", kAppName, error.c_str());
  return policy;
}

// Starts the jobs the state kept queued: PAPPL 1.3 looks for jobs to print
// only when one arrives or ends. No printer is stopped at start-up, so
// resuming one only does that, the oldest first. The PINs of jobs that no
// longer wait are forgotten first. Runs once.
bool startKeptJobs(pappl_system_t* system, void*) {
  jobPins().forgetEndedJobs(system);
  papplSystemIteratePrinters(
      system,
      [](pappl_printer_t* printer, void*) {
        leaveOnlyOldestWaiting(printer);
        papplPrinterResume(printer);
      },
      nullptr);
  return false;
}

}  // namespace

pappl_system_t* createAppSystem(int count, cups_option_t* options, void* data) {
  const char* portText = optionOr(count, options, "server-port", "0");
  char* end = nullptr;
  const long port = std::strtol(portText, &end, 10);
  if (*end || port < 0 || port > 65535) {
    fprintf(stderr, "%s: Bad server-port value \"%s\".\n", kAppName, portText);
    return nullptr;
  }
  // Printers are created with the system, so their device rule comes first.
  static std::optional<DevicePolicy> devices;
  devices = devicePolicyOf(count, options);
  if (!devices) return nullptr;
  const char* spool = cupsGetOption("spool-directory", count, options);
  pappl_system_t* system = papplSystemCreate(
      systemOptions(cupsGetOption("server-options", count, options)), kAppName, static_cast<int>(port),
      "_print,_universal", spool, cupsGetOption("log-file", count, options),
      logLevelOf(optionOr(count, options, "log-level", "warn")), nullptr, false);
  if (!system) return nullptr;
  papplSystemSetFooterHTML(system, kFooter);
  // PAPPL's own English labels of registry keywords ("media-source.manual")
  // come first; the family's fill in the rest.
  addFamilyLabels(system);
  const char* adminGroup = optionOr(count, options, "admin-group", defaultAdminGroup());
  if (!getgrnam(adminGroup)) {
    fprintf(stderr, "%s: The admin group \"%s\" does not exist.\n", kAppName, adminGroup);
    papplSystemDelete(system);
    return nullptr;
  }
  static AdminAuth auth;
  auth.pamService = optionOr(count, options, "auth-service", "cups");
  papplSystemSetAuthCallback(system, "Basic", authorizeAdmin, &auth);
  // Only this machine's clients unless the administrator says otherwise.
  const char* listen = optionOr(count, options, "listen-hostname", "localhost");
  if (!papplSystemAddListeners(system, std::strcmp(listen, "*") ? listen : nullptr) ||
      (!listensOnLoopback(listen) && !papplSystemAddListeners(system, "localhost"))) {
    fprintf(stderr, "%s: Unable to listen on %s.\n", kAppName, listen);
    papplSystemDelete(system);
    return nullptr;
  }
  // The printers of the state come back with their drivers.
  const AppDrivers& drivers = *static_cast<const AppDrivers*>(data);
  papplSystemSetPrinterDrivers(system, drivers.count, drivers.drivers, drivers.autoadd, nullptr,
                               drivers.driver, &*devices);
  addSpooledRasterFilters(system);
  const char* state = cupsGetOption("state-file", count, options);
  // The PINs of jobs the state keeps waiting, next to it.
  std::string pinError;
  if (!jobPins().open(state ? std::string(state) + ".pins" : "", pinError))
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "%s.", pinError.c_str());
  papplSystemSetEventCallback(system, keepJobPins, nullptr);
  if (state) {
    static std::string statePath;
    statePath = state;
    loadKeptState(system, statePath);
    renameKeptTrays(system);
    papplSystemSetSaveCallback(system, saveState, statePath.data());
  }
  // Settings change only for the admin group's members; the option, not
  // the group an earlier run kept in the state, says which group that is.
  papplSystemSetAdminGroup(system, adminGroup);
  papplSystemAddTimerCallback(system, 0, 0, startKeptJobs, nullptr);
  papplSystemAddTimerCallback(system, 0, 5, releaseStrandedOrderHolds, nullptr);
  return system;
}
