// vtuPersistentFolder: one folder kept in the host application's profile under a section and
// entry that the caller names, so that a file dialog reopens where the user last chose a file,
// also after a restart. While the object is active the folder is the process's current
// directory: restore makes the stored folder current, and destruction writes the current
// directory back.
#pragma once

#include "vtutils/export.h"
#include "vtutils/platform/framework_strings.h"

class VTUTILS_API vtuPersistentFolder {
 public:
  // Inert: writes nothing when destroyed until restore has named a section and entry.
  vtuPersistentFolder();
  // Copies share the section and entry texts, which the caller keeps alive until every copy is
  // destroyed; each copy writes under the same names.
  vtuPersistentFolder(const vtuPersistentFolder& other);
  vtuPersistentFolder& operator=(const vtuPersistentFolder& other);
  // Writes the current directory under the section and entry given to restore.
  virtual ~vtuPersistentFolder();

  // Remembers `section` and `entry` (not copied) and makes the folder stored there current. With
  // nothing stored, `default_folder` is made current, or without one the current directory
  // stays. A folder that cannot be made current (it was deleted) leaves the current directory as
  // it is. Without an application object nothing is stored, so the default is used.
  void restore(const char* section, const char* entry, const char* default_folder);

  // The process's current directory; empty when it does not fit MAX_PATH characters.
  CString current_directory() const;
  // Makes `path` current when it is an existing folder, else the folder that contains it.
  // Failures are ignored.
  void set_directory(const char* path) const;

  // 1 when the application runs from an installed distribution, else 0.
  static int is_distri_layout();

 private:
  // Writes the current directory under section and entry, when restore has named them, there is
  // an application object, and the current directory can be read.
  void save();

  const char* section_;
  const char* entry_;
};
