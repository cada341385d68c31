// Opening compound documents and printing their trees.
#include "document.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <thread>

#include "command_failure.h"
#include "vtutils/platform/files.h"
#include "vtutils/platform/framework_strings.h"

using vtplatform::ComPtr;

ComPtr<IStorage> open_document(const char* command, const std::string& path, DWORD access,
                               bool create, int wait_ms) {
  const CStringW name(path.c_str());
  const DWORD mode =
      access | (access == STGM_READ ? STGM_SHARE_DENY_WRITE : STGM_SHARE_EXCLUSIVE);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  std::minstd_rand jitter(std::random_device{}());
  for (;;) {
    ComPtr<IStorage> storage;
    const bool creating = create && !PathFileExistsA(path.c_str());
    const HRESULT result = creating
                               ? StgCreateDocfile(name, mode, 0, storage.put())
                               : StgOpenStorage(name, nullptr, mode, nullptr, 0, storage.put());
    if (SUCCEEDED(result)) return storage;
    // Another program has the document, or made it between the look and the creation.
    const bool busy = result == STG_E_SHAREVIOLATION || result == STG_E_LOCKVIOLATION ||
                      (creating && result == STG_E_FILEALREADYEXISTS);
    if (!busy) {
      // Opening a file that is not a compound file gives "already exists", as on Windows.
      fail_command(command, "cannot open " + path + ": " +
                                (result == STG_E_FILEALREADYEXISTS
                                     ? "not a compound file"
                                     : error_text(static_cast<DWORD>(result))));
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      fail_command(command, path + " is in use by another program");
    }
    // Waits of different lengths, so that programs waiting for each other do not keep meeting.
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + jitter() % 20));
  }
}

void print_storage_tree(IStorage* storage, int depth) {
  ComPtr<IEnumSTATSTG> elements;
  if (FAILED(storage->EnumElements(0, nullptr, 0, elements.put()))) return;
  STATSTG stat;
  while (elements->Next(1, &stat, nullptr) == S_OK) {
    const std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> name(stat.pwcsName, &CoTaskMemFree);
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    const CString narrow_name(name.get());
    if (stat.type == STGTY_STREAM) {
      std::printf("%s%s  %llu\n", indent.c_str(), narrow_name.GetString(),
                  static_cast<unsigned long long>(stat.cbSize.QuadPart));
      continue;
    }
    std::printf("%s%s/\n", indent.c_str(), narrow_name.GetString());
    ComPtr<IStorage> inner;
    if (SUCCEEDED(storage->OpenStorage(name.get(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE,
                                       nullptr, 0, inner.put()))) {
      print_storage_tree(inner.get(), depth + 1);
    }
  }
}
