// Regedit files into the registry's store and its keys out to them.
#include <algorithm>
#include <optional>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/regedit.h"
#include "win32/settings/regedit_file.h"
#include "win32/settings/registry_store.h"
#include "win32/text/ansi_text.h"

namespace vtplatform {
namespace {

// The store's spelling of a full key path: the root as HKEY_CURRENT_USER (given in any case, or
// as HKCU), empty components skipped. Nothing for a path below another root.
std::optional<std::string> store_path(std::string_view path) {
  const std::size_t end = AnsiText(path).find('\\');
  const std::string_view root = path.substr(0, end);
  if (!same_name(root, kUserRoot) && !same_name(root, "HKCU")) return std::nullopt;
  std::string result(kUserRoot);
  if (end != std::string_view::npos) append_key_path(result, path.substr(end + 1));
  return result;
}

constexpr const char* kOnlyUserKeys = "only HKEY_CURRENT_USER keys are stored per user";

}  // namespace

std::string registry_store_path() { return registry_store_file().value_or(""); }

LSTATUS import_regedit_file(std::string_view bytes, std::string& problem) {
  problem.clear();
  std::vector<RegeditChange> changes;
  if (!read_regedit(bytes, changes, problem)) return ERROR_INVALID_DATA;
  for (RegeditChange& change : changes) {
    const std::string where = "line " + std::to_string(change.line) + ", key " + change.path;
    auto path = store_path(change.path);
    if (!path) {
      problem = where + ": " + kOnlyUserKeys + ", so the file is not imported";
      return ERROR_INVALID_DATA;
    }
    if (change.kind == RegeditChange::Kind::kDeleteKey && *path == kUserRoot) {
      problem = where + ": the root key cannot be deleted";
      return ERROR_INVALID_DATA;
    }
    change.path = std::move(*path);
  }
  return update_registry_store([&](RegFile& file, bool& changed) -> LONG {
    for (const RegeditChange& change : changes) {
      switch (change.kind) {
        case RegeditChange::Kind::kAddKey:
          if (change.path != kUserRoot) file.add_key(change.path);
          break;
        case RegeditChange::Kind::kDeleteKey:
          file.delete_tree(change.path);
          break;
        case RegeditChange::Kind::kSetValue:
          file.set_value(change.path, change.value);
          break;
        case RegeditChange::Kind::kDeleteValue:
          file.delete_value(change.path, change.value.name);
          break;
      }
    }
    changed = true;
    return ERROR_SUCCESS;
  });
}

LSTATUS export_regedit_file(std::string_view key, RegeditForm form, std::string& bytes,
                            std::string& problem) {
  problem.clear();
  const auto path = store_path(key);
  if (!path) {
    problem = std::string(kOnlyUserKeys) + "; " +
              std::string(key.substr(0, AnsiText(key).find('\\'))) + " holds nothing here";
    return ERROR_INVALID_DATA;
  }
  RegFile file;
  if (const LONG error = read_registry_store(file)) return error;
  if (*path != kUserRoot && !file.has_key(*path)) return ERROR_FILE_NOT_FOUND;
  // The key itself first, also where it has no section of its own but only keys below it, with
  // its spelling in the store.
  std::vector<std::string> keys = file.keys_at_or_below(*path);
  const auto own = std::find_if(keys.begin(), keys.end(),
                                [&](const std::string& found) { return same_name(found, *path); });
  std::string first = keys.empty() ? *path : keys.front().substr(0, path->size());
  if (own != keys.end()) {
    first = *own;
    keys.erase(own);
  }
  keys.insert(keys.begin(), std::move(first));

  std::vector<RegeditChange> changes;
  for (const std::string& stored : keys) {
    changes.push_back({RegeditChange::Kind::kAddKey, stored, {}, 0});
    for (RegValue& value : file.values(stored)) {
      changes.push_back({RegeditChange::Kind::kSetValue, stored, std::move(value), 0});
    }
  }
  return write_regedit(changes, form, bytes, problem) ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

}  // namespace vtplatform
