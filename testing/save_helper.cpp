// A program that saves one file the way one of the library's writers does, for the save fault
// tests: they run it under the fault shim (fault_shim.cpp) or kill it part-way.
//
//   save_helper WRITER FOLDER TEXT [repeat]
//
// WRITER is one of
//   document  sets the stream "value" of the compound file FOLDER/files/value.cfb to TEXT, in
//             transacted mode, and commits; a missing file is created first
//   registry  sets the value "value" of HKCU\Software\VTUtils Tests to TEXT; the store lives in
//             FOLDER/config
//   ini       sets "value" in the section [values] of FOLDER/files/value.ini to TEXT
//   xml       saves <value>TEXT</value> as FOLDER/files/value.xml
//   log       switches the lifetime log on and appends the record "TEXT" to it in FOLDER/state
//
// It exits with 0 when the save reports success and with kSaveFailed when it reports failure;
// with `repeat` it writes a line when it starts and then saves again and again until it is killed.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "process/lifetime_log.h"
#include "vtplatform/brenxml/xml_document.h"
#include "vtplatform/win32/code_page.h"
#include "vtplatform/win32/com_ptr.h"
#include "vtplatform/win32/private_profile.h"
#include "vtplatform/win32/registry.h"
#include "vtplatform/win32/storage.h"

namespace {

constexpr int kSaveFailed = 3;
constexpr int kUsage = 2;

std::wstring wide(const std::string& text) {
  std::wstring result(text.size() + 1, L'\0');
  result.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(),
                          static_cast<int>(result.size())) - 1));
  return result;
}

bool save_document(const std::string& path, const std::string& text) {
  constexpr DWORD kMode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED;
  vtplatform::ComPtr<IStorage> storage;
  if (!std::filesystem::exists(path) &&
      StgCreateDocfile(wide(path).c_str(), kMode | STGM_CREATE, 0, storage.put()) != S_OK) {
    return false;
  }
  if (!storage &&
      StgOpenStorage(wide(path).c_str(), nullptr, kMode, nullptr, 0, storage.put()) != S_OK) {
    return false;
  }
  vtplatform::ComPtr<IStream> stream;
  ULONG written = 0;
  return storage->CreateStream(L"value", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                               stream.put()) == S_OK &&
         stream->Write(text.data(), static_cast<ULONG>(text.size()), &written) == S_OK &&
         storage->Commit(STGC_DEFAULT) == S_OK;
}

bool set_registry_value(const char* key_name, const char* name, DWORD type, const void* data,
                        DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key_name, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool set = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) ==
                   ERROR_SUCCESS;
  RegCloseKey(key);
  return set;
}

bool save_xml(const std::string& path, const std::string& text) {
  brenxml::xmlDocument document;
  std::string error;
  return document.createDocumentElement("value").setText(text.c_str()) != 0 &&
         document.save(path.c_str(), error);
}

bool append_log_record(const std::string& text) {
  const DWORD on = 1;
  if (!set_registry_value("Software\\Brennic\\VTLifeTimeManagerLog", "Enabled", REG_DWORD, &on,
                          sizeof on)) {
    return false;
  }
  vtutils::lifetime_log_write((text + "\r\n").c_str());
  return true;
}

bool save(const std::string& writer, const std::filesystem::path& folder,
          const std::string& text) {
  const std::filesystem::path files = folder / "files";
  if (writer == "document") return save_document(files / "value.cfb", text);
  if (writer == "registry") {
    return set_registry_value("Software\\VTUtils Tests", "value", REG_SZ, text.c_str(),
                              static_cast<DWORD>(text.size() + 1));
  }
  if (writer == "ini") {
    return WritePrivateProfileStringA("values", "value", text.c_str(),
                                      (files / "value.ini").c_str()) != FALSE;
  }
  if (writer == "xml") return save_xml(files / "value.xml", text);
  return append_log_record(text);
}

}  // namespace

int main(int argc, char** argv) {
  const bool repeat = argc == 5 && std::string(argv[4]) == "repeat";
  if (argc != 4 && !repeat) return kUsage;
  const std::string writer = argv[1];
  if (writer != "document" && writer != "registry" && writer != "ini" && writer != "xml" &&
      writer != "log") {
    return kUsage;
  }
  const std::filesystem::path folder = argv[2];
  ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
  std::filesystem::create_directories(folder / "files");
  if (repeat) {
    std::puts("saving");
    std::fflush(stdout);
  }
  do {
    if (!save(writer, folder, argv[3])) return kSaveFailed;
  } while (repeat);
  return 0;
}
