// String resources on Linux. A module has no resource section here, so a host application and
// each extension library register their string tables with the framework at run time; the
// framework's LoadString then finds a string on the resource chain: the host's table first (the
// module of AfxGetResourceHandle()), then the tables of the extension libraries in the order they
// joined the chain.
#pragma once

#include <initializer_list>
#include <map>
#include <string>

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

// One string resource: its identifier and its text in UTF-8.
struct AFX_STRING_RESOURCE {
  UINT nID;
  LPCSTR lpszText;
};

// Registers a module's string table for the lifetime of the object. The texts are copied.
// A second table for the same module adds to the first; a string registered twice keeps the
// newer text.
class VTPLATFORM_API CModuleStringTable {
 public:
  CModuleStringTable(HINSTANCE module, std::initializer_list<AFX_STRING_RESOURCE> strings);
  ~CModuleStringTable();
  CModuleStringTable(const CModuleStringTable&) = delete;
  CModuleStringTable& operator=(const CModuleStringTable&) = delete;

  HINSTANCE module() const { return module_; }
  // The text of string `id` in this table, or null.
  const std::string* find(UINT id) const;

 private:
  HINSTANCE module_;
  std::map<UINT, std::string> strings_;
};
