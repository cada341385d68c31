// Compound documents for vtutil's commands: opening one with a clear message when that fails, and
// printing the tree of storages and streams inside it.
#pragma once

#include <string>

#include "commands.h"
#include "vtplatform/win32/com_ptr.h"
#include "vtutils/platform/storage.h"
#include "vtutils/platform/win32_types.h"

// Opens the document at `path` with `access` (STGM_READ or STGM_READWRITE): readers share it
// with other readers, a writer has it to itself. With `create`, a document that does not exist
// yet is made. While another program's use of the document excludes this one, tries again for
// up to `wait_ms` milliseconds. Ends `command` with a message on failure ("in use" when the
// wait runs out).
vtplatform::ComPtr<IStorage> open_document(const char* command, const std::string& path,
                                           DWORD access, bool create = false,
                                           int wait_ms = kDefaultWaitMs);

// One line per element, indented by depth: storages with a trailing '/', streams with their size.
void print_storage_tree(IStorage* storage, bool json = false, int depth = 0,
                        const std::wstring& parent = L"");
