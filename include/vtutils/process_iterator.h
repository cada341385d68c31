// Snapshot iterators over the running processes and over the modules of one process. first()
// takes the list once into the iterator; next() only walks that copy, so a process that ends
// after first() is still returned and one that starts afterwards is not. first() may be called
// again at any time to take a new snapshot.
#pragma once

#include <cstdint>
#include <vector>

#include "vtutils/export.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/win32_types.h"

// The ids of all running processes. The system's list starts with the idle pseudo-process, id 0,
// which is also the end value; the iteration never returns it, though count() includes it.
class VTUTILS_API vtuProcessIterator {
 public:
  vtuProcessIterator();
  ~vtuProcessIterator();

  // Takes a new snapshot and returns its first id; 0 when there is none or the list cannot be
  // read.
  DWORD first();
  // The next id of the snapshot; 0 at its end, and before any first().
  DWORD next();
  // The entries of the snapshot, the idle pseudo-process included.
  std::uint64_t count() const;

 private:
  std::vector<DWORD> ids_;
  std::uint64_t position_;
};

// The modules of one process: its main executable first, then the other loaded modules. The
// iterator opens the process when it is made and owns that handle until it is destroyed.
class VTUTILS_API vtuProcessModuleIterator {
 public:
  // Opens the process for information and memory reading. A process that has ended, never was,
  // or may not be read leaves the handle null, and the iteration empty.
  explicit vtuProcessModuleIterator(DWORD process_id);
  vtuProcessModuleIterator(const vtuProcessModuleIterator&) = delete;
  vtuProcessModuleIterator& operator=(const vtuProcessModuleIterator&) = delete;
  ~vtuProcessModuleIterator();

  // Takes a new snapshot of the modules and returns the first, the main executable module; null
  // when the process handle is null or the modules cannot be listed.
  HMODULE first();
  // The next module of the snapshot; null at its end, before any first(), and always when the
  // process handle is null.
  HMODULE next();
  // The modules in the snapshot.
  std::uint64_t count() const;
  // The process handle, lent: the caller must not close it. Null when the process could not be
  // opened; still valid when it was opened but its modules could not be listed.
  HANDLE process_handle() const;
  // The path of the process's executable image as the system names it (on Windows in its device
  // form); "" when it cannot be read.
  CString get_process_image_file_name() const;

 private:
  HANDLE process_;
  std::vector<HMODULE> modules_;
  std::uint64_t position_;
};
