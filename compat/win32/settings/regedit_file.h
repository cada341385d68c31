// Regedit files read into the list of changes they make, and written from one: the converter
// between Windows' export forms and the narrow text of the registry's store. See
// vtplatform/win32/regedit.h for the two forms and what becomes of UTF-16 text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "vtplatform/win32/regedit.h"
#include "win32/settings/reg_syntax.h"

namespace vtplatform {

// One line of a regedit file as a change of the registry. Paths, names and text are in the ANSI
// code page, as the store keeps them.
struct RegeditChange {
  enum class Kind {
    kAddKey,       // [path]
    kDeleteKey,    // [-path]: the key and every key below it
    kSetValue,     // a value line under [path]
    kDeleteValue,  // "name"=- under [path]; only value.name counts
  };
  Kind kind = Kind::kAddKey;
  std::string path;
  RegValue value;
  std::size_t line = 0;  // the line of the file it was read from, for messages; 0 when written
};

// The changes of the regedit file `bytes` in the order of the file, or false with `problem` set
// to "line N, key K, value V: why" for the first line refused: a first line that names neither
// form, a line that is no header, value, deletion, comment or blank, a value outside a key or
// under a deleted one, UTF-16 that is cut or that the ANSI code page cannot hold.
bool read_regedit(std::string_view bytes, std::vector<RegeditChange>& changes,
                  std::string& problem);

// The regedit file in `form` that makes `changes`, into `bytes`: its version line, then each
// change on its lines, with a blank line before each key. False with `problem` set when a name or
// text is no valid text of the ANSI code page, which the UTF-16 form cannot hold.
bool write_regedit(const std::vector<RegeditChange>& changes, RegeditForm form, std::string& bytes,
                   std::string& problem);

// "key K, value "V"" (or "the default value") for messages.
std::string describe_value(std::string_view path, std::string_view name);

}  // namespace vtplatform
