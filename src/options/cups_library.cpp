#include "cups_library.h"

#include <dlfcn.h>

namespace {

// The soname that libcups2 installs.
constexpr const char* kLibraryName = "libcups.so.2";

struct LoadedLibrary {
  CupsLibrary functions{};
  bool complete = false;
  std::string error;
};

// Sets slot to the function called name; notes the first that is missing.
template <typename Function>
void resolve(void* handle, const char* name, Function& slot, LoadedLibrary& loaded) {
  slot = reinterpret_cast<Function>(dlsym(handle, name));
  if (!slot && loaded.error.empty()) loaded.error = std::string(kLibraryName) + " has no " + name;
}

// Opens the library and looks up every function. The handle stays open
// for the life of the process.
LoadedLibrary load() {
  LoadedLibrary loaded;
  void* handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    loaded.error = why ? why : std::string("Unable to load ") + kLibraryName;
    return loaded;
  }
  CupsLibrary& f = loaded.functions;
  resolve(handle, "cupsParseOptions", f.parseOptions, loaded);
  resolve(handle, "cupsFreeOptions", f.freeOptions, loaded);
  resolve(handle, "ppdOpenFile", f.ppdOpenFile, loaded);
  resolve(handle, "ppdClose", f.ppdClose, loaded);
  resolve(handle, "ppdFirstOption", f.ppdFirstOption, loaded);
  resolve(handle, "ppdNextOption", f.ppdNextOption, loaded);
  resolve(handle, "ppdFindOption", f.ppdFindOption, loaded);
  resolve(handle, "ppdFindCustomOption", f.ppdFindCustomOption, loaded);
  resolve(handle, "ppdFirstCustomParam", f.ppdFirstCustomParam, loaded);
  resolve(handle, "ppdPageSize", f.ppdPageSize, loaded);
  resolve(handle, "pwgMediaForPWG", f.pwgMediaForPWG, loaded);
  resolve(handle, "pwgMediaForLegacy", f.pwgMediaForLegacy, loaded);
  resolve(handle, "pwgMediaForPPD", f.pwgMediaForPPD, loaded);
  loaded.complete = loaded.error.empty();
  return loaded;
}

// The process's one load, made by the first caller.
const LoadedLibrary& library() {
  static const LoadedLibrary loaded = load();
  return loaded;
}

}  // namespace

const CupsLibrary* cupsLibrary() { return library().complete ? &library().functions : nullptr; }

const std::string& cupsLibraryError() { return library().error; }
