// vtuProcess: the main executable's names, and finding processes by executable name.
#include <cstring>
#include <vector>

#include "vtutils/platform/files.h"
#include "vtutils/process.h"
#include "vtutils/process_iterator.h"

namespace {

// Room past the name for a variant mark such as "64" or "_d".
constexpr int kMaxVariantLength = 2;

// Whether the lower-cased executable file name `file` is `name` followed by at most two more
// characters and the platform's executable suffix.
bool matches_executable(const CString& file, const CString& name) {
  if (file.Find(name) != 0) return false;
  const CString rest = file.Mid(name.GetLength());
  const int suffix_length = static_cast<int>(std::strlen(vtplatform::kExecutableSuffix));
  const int length = rest.GetLength();
  return length >= suffix_length && length <= kMaxVariantLength + suffix_length &&
         rest.Mid(length - suffix_length) == vtplatform::kExecutableSuffix;
}

}  // namespace

CString vtuProcess::main_module_base_name() const {
  CString name;
  if (!valid()) return name;
  vtuProcessModuleIterator modules(id_);
  if (const HMODULE main = modules.first()) {
    K32GetModuleBaseNameA(modules.process_handle(), main, name.GetBuffer(MAX_PATH), MAX_PATH);
    name.ReleaseBuffer();
  }
  return name;
}

CString vtuProcess::main_module_file_name() const {
  CString path;
  if (!valid()) return path;
  vtuProcessModuleIterator modules(id_);
  if (const HMODULE main = modules.first()) {
    const DWORD length = K32GetModuleFileNameExA(modules.process_handle(), main,
                                                 path.GetBuffer(MAX_PATH), MAX_PATH);
    path.ReleaseBuffer(static_cast<int>(length));
    return path;
  }
  // Opened, but its modules cannot be listed: the system still names its image.
  if (modules.process_handle() != nullptr) return modules.get_process_image_file_name();
  return path;
}

void vtuProcess::find_processes(const char* name, bool all, coiFiller<vtuProcess> filler) {
  CString wanted(name);
  wanted.MakeLower();
  vtuProcessIterator processes;
  for (DWORD id = processes.first(); id != 0; id = processes.next()) {
    CString file = vtuProcess(id).main_module_file_name();
    if (file.IsEmpty()) continue;
    file.MakeLower();
    PathStripPathA(file.GetBuffer());
    file.ReleaseBuffer();
    if (!matches_executable(file, wanted)) continue;
    filler.fill(vtuProcess(id));
    if (!all) break;
  }
  // `filler` goes here, dropping its share of the caller's callable.
}

vtuProcess vtuProcess::find_process(const char* name) {
  std::vector<DWORD> found;
  find_processes(name, false, [&found](vtuProcess process) {
    found.push_back(process.process_id());
  });
  return found.empty() ? vtuProcess() : vtuProcess(found.front());
}
