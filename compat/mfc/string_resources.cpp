// The registry of module string tables and the look-up along the resource chain.
#include <algorithm>
#include <mutex>
#include <vector>

#include "mfc/library_chain.h"
#include "mfc/string_resources.h"
#include "vtplatform/mfc/module_state.h"
#include "vtplatform/mfc/string_table.h"

namespace {

struct TableRegistry {
  std::mutex mutex;
  std::vector<const CModuleStringTable*> tables;  // in registration order
};

TableRegistry& registry() {
  static auto* registry = new TableRegistry;
  return *registry;
}

}  // namespace

CModuleStringTable::CModuleStringTable(HINSTANCE module,
                                       std::initializer_list<AFX_STRING_RESOURCE> strings)
    : module_(module) {
  for (const AFX_STRING_RESOURCE& string : strings) {
    strings_[string.nID] = string.lpszText != nullptr ? string.lpszText : "";
  }
  std::lock_guard lock(registry().mutex);
  registry().tables.push_back(this);
}

CModuleStringTable::~CModuleStringTable() {
  std::lock_guard lock(registry().mutex);
  std::erase(registry().tables, this);
}

const std::string* CModuleStringTable::find(UINT id) const {
  auto found = strings_.find(id);
  return found != strings_.end() ? &found->second : nullptr;
}

namespace vtplatform {

std::optional<std::string> find_string_resource(UINT id) {
  std::vector<HINSTANCE> modules = extension_resource_handles();
  modules.insert(modules.begin(), AfxGetResourceHandle());

  std::lock_guard lock(registry().mutex);
  const auto& tables = registry().tables;
  for (HINSTANCE module : modules) {
    // The newest table of a module wins over older ones.
    for (auto table = tables.rbegin(); table != tables.rend(); ++table) {
      if ((*table)->module() != module) continue;
      if (const std::string* text = (*table)->find(id)) return *text;
    }
  }
  return std::nullopt;
}

}  // namespace vtplatform
