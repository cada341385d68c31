// The registry's per-user store file, read and changed under its locks.
#include "win32/settings/registry_store.h"

#include "vtplatform/win32/error.h"
#include "win32/files/xdg_folders.h"
#include "win32/settings/shared_text_file.h"
#include "win32/text/ansi_text.h"

namespace vtplatform {
namespace {

std::optional<SharedTextFile> shared_store() {
  auto path = registry_store_file();
  if (!path) return std::nullopt;
  // The store is the user's own: nobody else reads or changes it.
  return SharedTextFile(std::move(*path), SharedTextFile::Folder::kCreate, 0600);
}

}  // namespace

void append_key_path(std::string& path, std::string_view sub_key) {
  while (!sub_key.empty()) {
    const std::size_t end = AnsiText(sub_key).find('\\');
    if (end != 0) (path += '\\') += sub_key.substr(0, end);
    if (end == std::string_view::npos) break;
    sub_key.remove_prefix(end + 1);
  }
}

std::optional<std::string> registry_store_file() {
  const auto config = config_home();
  if (!config) return std::nullopt;
  return *config + "/vtutils/registry.reg";
}

LONG read_registry_store(RegFile& file) {
  const auto store = shared_store();
  if (!store) return ERROR_PATH_NOT_FOUND;
  std::string text;
  if (const LONG error = store->read(text)) return error;
  if (!RegFile::is_store_text(text)) return ERROR_BADDB;
  file = RegFile::parse(text);
  return ERROR_SUCCESS;
}

LONG update_registry_store(const std::function<LONG(RegFile& file, bool& changed)>& change) {
  const auto store = shared_store();
  if (!store) return ERROR_PATH_NOT_FOUND;
  return store->update([&](std::string& text, bool& changed) -> LONG {
    if (!RegFile::is_store_text(text)) return ERROR_BADDB;
    RegFile file = RegFile::parse(text);
    if (const LONG error = change(file, changed); error != ERROR_SUCCESS || !changed) return error;
    text = file.serialize();
    return ERROR_SUCCESS;
  });
}

}  // namespace vtplatform
