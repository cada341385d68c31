// Module handles and file names from the dynamic loader: dladdr names the object that holds an
// address, and its base address is the handle.
#include <dlfcn.h>
#include <link.h>
#include <sys/auxv.h>
#include <unistd.h>

#include <climits>
#include <optional>
#include <string>
#include <string_view>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/module.h"
#include "vtplatform/win32/native.h"
#include "win32/core/exception_barrier.h"
#include "win32/files/file_name.h"
#include "win32/text/ansi_text.h"

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

// Whether `name` is the system module of the native services, which this layer provides.
bool names_native_module(std::string_view name) {
  return vtplatform::same_name(name, "ntdll") || vtplatform::same_name(name, "ntdll.dll");
}

HMODULE program_module() {
  // The program headers lie inside the program's first loaded segment.
  return module_containing(reinterpret_cast<const void*>(getauxval(AT_PHDR)));
}

// The path of a module's file, or nothing when the handle is no loaded module.
std::optional<std::string> module_path(HMODULE module) {
  if (module == nullptr || module == program_module()) {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || length == sizeof path) return std::nullopt;
    return std::string(path, static_cast<std::size_t>(length));
  }
  Dl_info info{};
  if (dladdr(module, &info) == 0 || info.dli_fbase != module || info.dli_fname == nullptr ||
      *info.dli_fname == '\0') {
    return std::nullopt;
  }
  std::string path = info.dli_fname;
  if (!path.starts_with('/')) {
    // Loaded by a relative name: the loader resolved it against the current directory.
    char folder[PATH_MAX];
    if (::getcwd(folder, sizeof folder) == nullptr) return std::nullopt;
    path = std::string(folder) + "/" + path;
  }
  return path;
}

// Copies `path` into `buffer` of `size` characters, cutting it as Windows does.
template <class Char>
DWORD copy_module_path(std::basic_string_view<Char> path, Char* buffer, DWORD size) {
  if (buffer == nullptr || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() < size) return vtplatform::copy_out(path, buffer, size);
  path.substr(0, size - 1).copy(buffer, size - 1);
  buffer[size - 1] = Char{};
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

}  // namespace

HMODULE GetModuleHandleA(LPCSTR module_name) {
  HMODULE module = nullptr;
  if (module_name == nullptr) {
    module = program_module();
  } else if (names_native_module(module_name)) {
    module = module_containing(reinterpret_cast<const void*>(&NtSuspendProcess));
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

FARPROC GetProcAddress(HMODULE module, LPCSTR proc_name) {
  Dl_info info{};
  if (module == nullptr || dladdr(module, &info) == 0 || info.dli_fbase != module) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  // The loader's handle of a module that is already loaded; the program's own is the null name.
  const bool is_program = module == program_module();
  void* loaded = dlopen(is_program ? nullptr : info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
  if (loaded == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  void* symbol = proc_name == nullptr ? nullptr : dlsym(loaded, proc_name);
  dlclose(loaded);
  // dlsym also searches the module's dependencies; only the module's own definitions count.
  if (symbol == nullptr || module_containing(symbol) != module) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR file_name, DWORD size) {
  const auto path = module_path(module);
  if (!path) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  return copy_module_path<char>(*path, file_name, size);
}

// A path that the code-page engine fails to widen fails as text without a wide form.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR file_name, DWORD size) {
  return vtplatform::without_exceptions(DWORD{0}, ERROR_NO_UNICODE_TRANSLATION, [&]() -> DWORD {
    const auto path = module_path(module);
    if (!path) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    return copy_module_path<wchar_t>(vtplatform::wide_file_name(*path), file_name, size);
  });
}
