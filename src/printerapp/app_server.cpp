#include "app_server.h"

#include <libgen.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "local_gate.h"

namespace {

// Options of papplMainloop that take the next argument as their value.
bool takesValue(std::string_view option) {
  return option.size() == 2 && option[0] == '-' && std::strchr("dhjmnotuv", option[1]) != nullptr;
}

// The program's name, as PAPPL's sub-commands take it for the socket's.
std::string baseNameOf(const char* program) {
  std::string copy = program;
  return basename(copy.data());
}

}  // namespace

bool isServerCommand(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (takesValue(argument)) {
      ++i;
    } else if (!argument.starts_with('-')) {
      return argument == "server";
    }
  }
  return false;
}

int runAppServer(int argc, char* argv[], const char* version, AppDrivers& drivers) {
  const std::string program = baseNameOf(argv[0]);
  int count = 0;
  cups_option_t* options = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "server") continue;
    if (argument != "-o" || i + 1 == argc) {
      fprintf(stderr, "%s: The server takes only -o NAME=VALUE options, not \"%s\".\n", program.c_str(), argv[i]);
      cupsFreeOptions(count, options);
      return 1;
    }
    count = cupsParseOptions(argv[++i], count, &options);
  }
  pappl_system_t* system = createAppSystem(count, options, &drivers);
  cupsFreeOptions(count, options);
  if (!system) return 1;

  pappl_version_t versions{};
  strncpy(versions.name, program.c_str(), sizeof versions.name - 1);
  strncpy(versions.sversion, version, sizeof versions.sversion - 1);
  sscanf(version, "%hu.%hu.%hu.%hu", versions.version, versions.version + 1, versions.version + 2,
         versions.version + 3);
  papplSystemSetVersions(system, 1, &versions);

  std::string error;
  std::unique_ptr<LocalGate> gate =
      LocalGate::open(localSocketPath(program, getuid()), papplSystemGetHostPort(system), error);
  if (!gate) {
    fprintf(stderr, "%s: %s\n", program.c_str(), error.c_str());
    papplLog(system, PAPPL_LOGLEVEL_FATAL, "%s", error.c_str());
    papplSystemDelete(system);
    return 1;
  }
  papplSystemRun(system);
  gate.reset();
  papplSystemDelete(system);
  return 0;
}
