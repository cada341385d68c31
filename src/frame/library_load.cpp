// The load and unload sequence of libVTUtils.so on the ELF loader, in this order:
//   1. RawDllMain, from a prioritised constructor that runs before any static object;
//   2. the library's static objects, defined below in their order of construction (this file
//      is linked last, so the static objects of every other file come before them as well);
//   3. DllMain, from the last static object.
// Unloading runs DllMain's detach and then destroys the static objects in reverse order; the
// functions' own local statics, created while the library was in use, go before DllMain's
// detach, and none of them depends on the framework state it releases. RawDllMain has nothing
// to do on detach, so it is not called then.
#include <cstdio>

#include "frame/dll_main.h"
#include "services/xml_service_name.h"
#include "vtutils/dependency_manager.h"
#include "vtutils/platform/processes.h"
#include "vtutils/platform/services.h"

namespace {

HINSTANCE own_module() {
  static const char anchor = 0;
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     &anchor, &module);
  return module;
}

__attribute__((constructor(101))) void raw_attach() {
  RawDllMain(own_module(), DLL_PROCESS_ATTACH, nullptr);
}

// Static registrations, in the order the library needs them. Later subsystems add theirs here.

// Deletes the dependency manager, with whatever entries it still holds, when the library unloads,
// so that the singleton never outlives the code that made it.
class DependencyManagerRelease {
 public:
  DependencyManagerRelease() = default;
  ~DependencyManagerRelease() { vtuDependencyManager::delete_singleton(); }
  DependencyManagerRelease(const DependencyManagerRelease&) = delete;
  DependencyManagerRelease& operator=(const DependencyManagerRelease&) = delete;
};

DependencyManagerRelease dependency_manager_release;

}  // namespace

// The name under which XML document factories are registered.
const utServiceName vtutils::xml_service_name("xml");

namespace {

// Calls DllMain once everything above exists, and on unload before any of it goes.
class EntryPoint {
 public:
  EntryPoint() : attached_(DllMain(own_module(), DLL_PROCESS_ATTACH, nullptr) != FALSE) {
    if (!attached_) {
      // An ELF constructor cannot make the load fail, so the library takes the failed load's
      // path itself: it leaves the framework state as it found it and says why.
      DllMain(own_module(), DLL_PROCESS_DETACH, nullptr);
      std::fputs("VTUtils: the framework refused the extension library; it is not usable\n",
                 stderr);
    }
  }
  ~EntryPoint() {
    if (attached_) DllMain(own_module(), DLL_PROCESS_DETACH, nullptr);
  }
  EntryPoint(const EntryPoint&) = delete;
  EntryPoint& operator=(const EntryPoint&) = delete;

 private:
  bool attached_;
};

EntryPoint entry_point;

}  // namespace
