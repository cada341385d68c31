// Module handles from the dynamic loader: dladdr names the object that holds an address, and
// its base address is the handle.
#include <dlfcn.h>
#include <link.h>
#include <sys/auxv.h>

#include <string_view>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/module.h"

namespace {

HMODULE module_containing(const void* address) {
  Dl_info info{};
  if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fbase == nullptr) {
    return nullptr;
  }
  return static_cast<HMODULE>(info.dli_fbase);
}

bool names_module(std::string_view path, std::string_view name) {
  const std::string_view file = path.substr(path.rfind('/') + 1);
  return file == name || (file.starts_with(name) && file.substr(name.size()).starts_with(".so"));
}

struct ModuleSearch {
  std::string_view name;
  HMODULE found = nullptr;
};

int find_named_module(dl_phdr_info* info, size_t, void* data) {
  auto* search = static_cast<ModuleSearch*>(data);
  if (info->dlpi_name == nullptr || !names_module(info->dlpi_name, search->name)) return 0;
  for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
    if (info->dlpi_phdr[i].p_type == PT_LOAD) {
      search->found = module_containing(
          reinterpret_cast<const void*>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr));
      return 1;
    }
  }
  return 0;
}

}  // namespace

HMODULE GetModuleHandleA(LPCSTR module_name) {
  HMODULE module = nullptr;
  if (module_name == nullptr) {
    // The program headers lie inside the program's first loaded segment.
    module = module_containing(reinterpret_cast<const void*>(getauxval(AT_PHDR)));
  } else if (*module_name != '\0') {
    ModuleSearch search{module_name};
    dl_iterate_phdr(find_named_module, &search);
    module = search.found;
  }
  if (module == nullptr) SetLastError(ERROR_MOD_NOT_FOUND);
  return module;
}

BOOL GetModuleHandleExA(DWORD flags, LPCSTR module_name, HMODULE* module) {
  if (module == nullptr || (flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *module = module_containing(module_name);
  if (*module == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}
