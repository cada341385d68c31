// vtuProcess::create_minidump and create_minidump_at: attach as the process's debugger, stop it,
// and write a minidump next to its executable or to a path of the caller's choice.
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

// Attaches as the debugger of `process`, stops it and writes the dump to `path`, or to
// dump_file_name of its executable when `path` is null.
CString write_minidump(const vtuProcess& process, MINIDUMP_TYPE dump_type, const char* path) {
  CString result;
  const DWORD id = process.process_id();
  const vtutils::ScopedHandle handle(OpenProcess(PROCESS_ALL_ACCESS, FALSE, id));
  if (!handle) return result;
  const CString executable = process.main_module_file_name();
  CString line;
  line.Format("  Saving minidump of '%s'\r\n", static_cast<const char*>(executable));
  vtutils::lifetime_log_write(line);
  if (!DebugActiveProcess(id)) return result;
  if (DebugBreakProcess(handle.get())) {
    const CString file_name = path != nullptr ? CString(path) : dump_file_name(executable);
    const vtutils::ScopedHandle file(CreateFileA(file_name, GENERIC_WRITE, FILE_SHARE_WRITE,
                                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                 nullptr));
    if (file &&
        MiniDumpWriteDump(handle.get(), id, file.get(), dump_type, nullptr, nullptr, nullptr)) {
      result = file_name;
    }
  }
  // The caller learns why no dump was written from the last error of the step that failed,
  // which the detach must not replace.
  const DWORD error = GetLastError();
  DebugActiveProcessStop(id);
  SetLastError(error);
  return result;
}

}  // namespace

CString vtuProcess::create_minidump(MINIDUMP_TYPE dump_type) const {
  return write_minidump(*this, dump_type, nullptr);
}

CString vtuProcess::create_minidump_at(MINIDUMP_TYPE dump_type, const char* path) const {
  return write_minidump(*this, dump_type, path);
}
