// Where vtutil dump and vtutil kill --dump write a minidump: a file or folder that --output names,
// else next to the executable where that is the caller's own place, else the user's dump folder;
// and why a dump was not written.
#pragma once

#include <optional>
#include <string>

#include "vtutils/platform/win32_types.h"
#include "vtutils/process.h"

// The file to write the dump of `process` to. `output` names a file, or an existing folder that
// gets a generated name, "<executable's name without extension><time stamp>.dmp". Without it,
// "" (the library's place next to the executable) when the caller may write the executable's
// folder and that is no system folder (/usr, /bin, /sbin, /lib*, /opt, /etc, /boot); otherwise
// the generated name in the user's dump folder ($XDG_STATE_HOME/vtutils/dumps, made with mode
// 0700), after a warning from `command` on standard error that says why the executable's folder
// is not used. Nothing, with `reason` set, when the dump folder cannot be made either.
std::optional<std::string> dump_destination(const char* command, const vtuProcess& process,
                                            const std::string& output, std::string& reason);

// Why create_minidump or create_minidump_at wrote no dump to `destination` ("": next to the
// executable), from the last error it left: a refusal to be debugged is told from a file that
// cannot be written by whether the caller may write the destination's folder.
std::string dump_failure(DWORD error, const vtuProcess& process, const std::string& destination);
