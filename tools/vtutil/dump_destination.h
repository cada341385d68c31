// Where vtutil dump writes a minidump: a file or folder that --output names, else next to the
// executable where that is the caller's own place, else the temporary folder.
#pragma once

#include <string>

#include "vtutils/process.h"

// The file to write the dump of `process` to. `output` names a file, or an existing folder that
// gets a generated name, "<executable's name without extension><time stamp>.dmp". Without it,
// "" (the library's place next to the executable) when the caller may write the executable's
// folder and that is no system folder (/usr, /bin, /sbin, /lib*, /opt, /etc, /boot), and the
// generated name in $TMPDIR (or /tmp) otherwise.
std::string dump_destination(const vtuProcess& process, const std::string& output);
