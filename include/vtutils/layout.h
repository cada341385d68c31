// The installation layout: whether the application runs from an installed distribution or from
// the development tree, the folder of the running application, and the root folder with its
// standard subfolders "file", "lib" and "sys".
//
// The layout is decided once per process, from the canonical path of this library's own file:
// a path that runs through "devel/binaries" is the development tree. Make the first call on one
// thread (application start-up); afterwards every call only reads.
#pragma once

#include "vtutils/export.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/unicode_strings.h"

// True for the distribution layout, and when the library's own location cannot be learned.
VTUTILS_API bool vtu_is_distri_layout();

// The folder of the running application's executable (the framework's application object's
// module, or the program), ending with its separator.
VTUTILS_API CStringW vtu_get_main_application_folder_unicode();
// The same folder in the ANSI code page.
VTUTILS_API CString vtu_get_main_application_folder();

class VTUTILS_API vtuBrenPath {
 public:
  vtuBrenPath() = delete;

  // The root folder: in the distribution, two dirname steps up from the application folder; in
  // the development tree, the fixed root "P:/devel/products/source/Vantrel.dev/bren". Kept for
  // the rest of the process once it is valid; an invalid root is computed again on the next call.
  static apPathName root();
  // The root combined with "file", "lib" and "sys".
  static apPathName file();
  static apPathName lib();
  static apPathName sys();
};
