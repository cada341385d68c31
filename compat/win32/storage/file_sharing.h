// Sharing modes of compound files between processes. Each open of a document file holds, on its
// own open file description, shared OFD locks on four bytes far past the end of any file: one
// each for read access, write access, denying others read and denying others write, as its STGM
// flags ask. An open is refused when another open of the file holds the byte that excludes it
// (it wants to read where another denies reading, or denies writing where another writes, ...),
// as Windows refuses it with STG_E_SHAREVIOLATION. The locks go with the descriptor: closing it
// ends the open's share. Internal to libvtplatform.so.
#pragma once

#include "vtplatform/win32/storage.h"

namespace vtplatform::cfb {

struct FileSharing {
  bool read = false;
  bool write = false;
  bool deny_read = false;
  bool deny_write = false;

  // The sharing an STGM mode asks for: its access and its share flags. No share flag is
  // STGM_SHARE_DENY_NONE.
  static FileSharing of(DWORD mode);
};

// Takes the locks of `sharing` on `fd` and then checks that no other open of the file excludes
// them or is excluded by them; on a conflict the locks are given back and the answer is
// STG_E_SHAREVIOLATION. Taking before checking means two opens that exclude each other never
// both succeed; when they arrive at the same moment both may be refused, and a caller may try
// again. On a file system without OFD locks nothing is enforced and the answer is S_OK.
HRESULT lock_sharing(int fd, const FileSharing& sharing);

}  // namespace vtplatform::cfb
