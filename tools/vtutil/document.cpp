// Opening compound documents and printing their trees.
#include "document.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <thread>

#include "command_failure.h"
#include "escaped.h"
#include "input_file.h"
#include "json_line.h"
#include "vtutils/platform/files.h"
#include "vtutils/platform/framework_strings.h"

using vtplatform::ComPtr;

ComPtr<IStorage> open_document(const char* command, const std::string& path, DWORD access,
                               bool create, int wait_ms) {
  // A name that is not text in the code page has no wide form. Reading goes through the name
  // of a descriptor of the file instead; a save, which writes beside the file, cannot.
  std::optional<InputFile> opened;
  std::string open_path = path;
  if (!valid_text(path)) {
    if (access != STGM_READ) {
      fail_command(command, "the name " + escaped(path) +
                                " is not valid text in the code page, so the document can be "
                                "read but not changed");
    }
    opened.emplace(command, path);
    open_path = "/proc/self/fd/" + std::to_string(opened->fd());
  }
  const CStringW name(open_path.c_str());
  const DWORD mode =
      access | (access == STGM_READ ? STGM_SHARE_DENY_WRITE : STGM_SHARE_EXCLUSIVE);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  std::minstd_rand jitter(std::random_device{}());
  for (;;) {
    ComPtr<IStorage> storage;
    const bool creating = create && !PathFileExistsA(open_path.c_str());
    const HRESULT result = creating
                               ? StgCreateDocfile(name, mode, 0, storage.put())
                               : StgOpenStorage(name, nullptr, mode, nullptr, 0, storage.put());
    if (SUCCEEDED(result)) return storage;
    // Another program has the document, or made it between the look and the creation.
    const bool busy = result == STG_E_SHAREVIOLATION || result == STG_E_LOCKVIOLATION ||
                      (creating && result == STG_E_FILEALREADYEXISTS);
    if (!busy) {
      // Opening a file that is not a compound file gives "already exists", as on Windows.
      fail_command(command, "cannot open " + escaped(path) + ": " +
                                (result == STG_E_FILEALREADYEXISTS
                                     ? "not a compound file"
                                     : error_text(static_cast<DWORD>(result))));
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      fail_command(command, escaped(path) + " is in use by another program");
    }
    // Waits of different lengths, so that programs waiting for each other do not keep meeting.
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + jitter() % 20));
  }
}

void print_storage_tree(IStorage* storage, bool json, int depth, const std::wstring& parent) {
  ComPtr<IEnumSTATSTG> elements;
  if (FAILED(storage->EnumElements(0, nullptr, 0, elements.put()))) return;
  STATSTG stat;
  while (elements->Next(1, &stat, nullptr) == S_OK) {
    const std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> name(stat.pwcsName, &CoTaskMemFree);
    const std::wstring path = parent + name.get();
    const bool stream = stat.type == STGTY_STREAM;
    const auto size = static_cast<unsigned long long>(stat.cbSize.QuadPart);
    if (json) {
      JsonLine line;
      line.text("path", path).text("type", stream ? "stream" : "storage");
      if (stream) line.number("size", static_cast<long long>(size));
      line.write("storage ls");
    } else {
      const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
      const std::string shown = escaped(CString(name.get()).GetString());
      if (stream) {
        std::printf("%s%s  %llu\n", indent.c_str(), shown.c_str(), size);
      } else {
        std::printf("%s%s/\n", indent.c_str(), shown.c_str());
      }
    }
    if (stream) continue;
    ComPtr<IStorage> inner;
    if (SUCCEEDED(storage->OpenStorage(name.get(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE,
                                       nullptr, 0, inner.put()))) {
      print_storage_tree(inner.get(), json, depth + 1, path + L'/');
    }
  }
}
