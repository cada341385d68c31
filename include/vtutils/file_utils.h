// vtuFileUtils: path and file operations on narrow paths. Every argument and result is a CString
// in the ANSI code page, and every path is bounded by MAX_PATH (260 characters with the
// terminator). Failures show in the result: an empty string, an unchanged copy, or false.
#pragma once

#include "vtutils/export.h"
#include "vtutils/platform/framework_strings.h"

class VTUTILS_API vtuFileUtils {
 public:
  vtuFileUtils(const vtuFileUtils&) {}
  vtuFileUtils& operator=(const vtuFileUtils&) { return *this; }
  virtual ~vtuFileUtils();

  // The path with `extension` appended, unless its name already has an extension.
  static CString path_add_extension(const CString& path, const CString& extension);
  // The path with `more` appended, with one separator between them.
  static CString path_append(const CString& path, const CString& more);
  // The two paths joined with "." and ".." resolved; a rooted `second` stands alone. "" when the
  // result does not fit MAX_PATH.
  static CString path_combine(const CString& first, const CString& second);
  // Whether a file or folder of that path exists.
  static bool path_file_exists(const CString& path);
  // The last component of the path.
  static CString path_find_file_name(const CString& path);
  // The path without the last extension and its dot.
  static CString path_remove_extension(const CString& path);
  // The path without its last component and the separator before it.
  static CString path_remove_file_name(const CString& path);
  // Replaces the extension of `path` in place, or attaches `extension` when there is none. False,
  // and `path` unchanged, when the result would not fit MAX_PATH.
  static bool path_rename_extension(CString& path, const CString& extension);
  // The last component without its extension.
  static CString path_strip_path_and_remove_extension(const CString& path);

  // Copies the files directly inside `source_folder` into `destination_folder`, creating the
  // destination when it is missing and replacing files of the same name. Subfolders are not
  // copied. Both folders must end with a separator: names are joined by plain concatenation.
  // Always true, whatever could be copied.
  static bool copy_folder(const CString& source_folder, const CString& destination_folder);

  // A path in the temporary folder: the folder joined with `preferred_name` when nothing of that
  // name exists there, else a fresh name that begins with the first three characters of `prefix`.
  // Nothing exists under the returned name; another process may take it before the caller does.
  static CString create_temp_file_path(const CString& prefix, const CString& preferred_name);

  // The first path `folder`/<base_name><n><extension> that nothing has, counting n up from
  // `first_number` (no leading zeros; a negative n has its minus sign). The extension is added
  // only when the numbered name has none. "" when folder and name do not fit MAX_PATH together.
  static CString find_first_available_file_path(const CString& folder, const CString& base_name,
                                                const CString& extension, int first_number);
  // As above in the numbering of Windows Explorer: <base_name><extension> first, then
  // "<base_name> (2)<extension>", "<base_name> (3)<extension>", ...
  static CString find_first_available_file_path_windows_style(const CString& folder,
                                                              const CString& base_name,
                                                              const CString& extension);

  // The user's documents folder and the documents folder shared with others, or "" when the
  // platform cannot say.
  static CString user_documents_path();
  static CString public_documents_path();

  // Whether the current user is granted `desired_access` on `folder` by the folder's own security
  // descriptor. Generic rights are allowed and mapped to the file rights. False for every failure
  // on the way (a missing folder, an unreadable descriptor) as well as for denied access.
  static bool can_access_folder(const CString& folder, unsigned int desired_access);

 protected:
  vtuFileUtils() = default;

 private:
  // The folder that the shell knows under a CSIDL identifier, or "".
  static CString get_shell_path(int folder_id);
};
