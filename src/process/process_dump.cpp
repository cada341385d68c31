// vtuProcess::create_minidump: attach as the process's debugger, stop it, and write a minidump
// next to its executable.
#include "process/lifetime_log.h"
#include "process/scoped_handle.h"
#include "vtutils/platform/files.h"
#include "vtutils/process.h"

namespace {

// <executable path without its extension><time stamp>.dmp, or <temporary folder>killed<time
// stamp>.dmp when the executable's path is unknown. The extension is cut at the path's last dot,
// which lies in a folder's name when the file name has none.
CString dump_file_name(const CString& executable) {
  CString name;
  if (executable.IsEmpty()) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    name = CString(folder) + "killed";
  } else {
    const int dot = executable.ReverseFind('.');
    name = dot < 0 ? executable : executable.Left(dot);
  }
  vtuProcess::append_time_string(name);
  name += ".dmp";
  return name;
}

}  // namespace

CString vtuProcess::create_minidump(MINIDUMP_TYPE dump_type) const {
  CString result;
  const vtutils::ScopedHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, id_));
  if (!process) return result;
  const CString executable = main_module_file_name();
  CString line;
  line.Format("  Saving minidump of '%s'\r\n", static_cast<const char*>(executable));
  vtutils::lifetime_log_write(line);
  if (!DebugActiveProcess(id_)) return result;
  if (DebugBreakProcess(process.get())) {
    const CString path = dump_file_name(executable);
    const vtutils::ScopedHandle file(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file && MiniDumpWriteDump(process.get(), id_, file.get(), dump_type, nullptr, nullptr,
                                  nullptr)) {
      result = path;
    }
  }
  DebugActiveProcessStop(id_);
  return result;
}
