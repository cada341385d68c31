// Bringing a user's registry settings in from regedit files and out to them.
//
// Windows' regedit exports keys in two forms, and both are read and written here:
//   - "Windows Registry Editor Version 5.00": UTF-16LE text with a byte-order mark and CRLF line
//     ends, as regedit writes it today. Its names and strings, and the bytes of its hex(1),
//     hex(2) and hex(7) values (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ), are UTF-16.
//   - "REGEDIT4": text in the ANSI code page, strings and their hex values alike.
// The registry store (see registry.h) keeps every name and text in the ANSI code page of the
// locale, so importing converts UTF-16 text to it and exporting converts it back. Text that the
// code page cannot hold is refused with the key and value it belongs to, never replaced by a
// substitute. Other hex(N) types are bytes and are kept as they are. An import also reads a file
// in the store's own form: the version 5.00 header over narrow text.
//
// Only HKEY_CURRENT_USER is stored per user. An import that names another root is refused as a
// whole; exporting another root fails, as the store holds nothing there.
#pragma once

#include <string>
#include <string_view>

#include "vtplatform/export.h"
#include "vtplatform/win32/registry.h"

namespace vtplatform {

enum class RegeditForm {
  kUnicode,   // "Windows Registry Editor Version 5.00", UTF-16LE with a byte-order mark, CRLF
  kRegedit4,  // "REGEDIT4" in the ANSI code page, CRLF
};

// The path of the store's file, "" when the user's configuration folder is unknown.
VTPLATFORM_API std::string registry_store_path();

// Applies the regedit file `bytes` to the store: a "[KEY]" section creates the key and sets its
// values, "[-KEY]" deletes the key with every key below it, and "name"=- deletes a value. The
// whole file is checked first and applied in one change of the store under its lock, so either
// all of it is applied or, when any line is refused, nothing is written. ERROR_SUCCESS;
// ERROR_INVALID_DATA with `problem` saying which line is refused and why (a file of neither form,
// a line that is no header or value, text the ANSI code page cannot hold, a root other than
// HKEY_CURRENT_USER); ERROR_BADDB when the store's own file is not in its encoding; or the
// store's file error.
VTPLATFORM_API LSTATUS import_regedit_file(std::string_view bytes, std::string& problem);

// The regedit file of the key `key` ("HKEY_CURRENT_USER\Software\Brennic", or "HKCU\..."; the
// root alone exports everything) and every key below it, in `form`, into `bytes`.
// ERROR_SUCCESS; ERROR_FILE_NOT_FOUND when the store has no such key; ERROR_INVALID_DATA with
// `problem` set when a path is not below HKEY_CURRENT_USER, or when a name or text of the store
// is no valid text of the ANSI code page and so has no UTF-16 form; ERROR_BADDB when the store's
// file is not in its encoding; or the store's file error.
VTPLATFORM_API LSTATUS export_regedit_file(std::string_view key, RegeditForm form,
                                           std::string& bytes, std::string& problem);

}  // namespace vtplatform
