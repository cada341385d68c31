// The COM objects on an open document: storages, streams and element enumerations. Each object
// holds the document and the entry it stands for, and locks the document while it works.
#pragma once

#include <memory>

#include "win32/storage/document.h"

namespace vtplatform::storage {

// The root storage of `document`; its last Release closes the document, committing first unless
// the document is transacted.
IStorage* new_root_storage(std::shared_ptr<Document> document, DWORD mode);
// A stream on `entry`, counted as open on it while the object lives.
IStream* new_stream(std::shared_ptr<Document> document, std::shared_ptr<Entry> entry, DWORD mode,
                    std::uint64_t position = 0);

// The mode's access part: STGM_READ, STGM_WRITE or STGM_READWRITE.
inline DWORD access_of(DWORD mode) { return mode & 0x3; }
inline bool may_write(DWORD mode) { return access_of(mode) != STGM_READ; }

// Fills `stat` for `entry`, with its name unless `flag` is STATFLAG_NONAME.
HRESULT stat_entry(const Entry& entry, DWORD mode, std::u16string_view name, DWORD flag,
                   STATSTG& stat);

}  // namespace vtplatform::storage
