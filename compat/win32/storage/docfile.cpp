// Creating and opening compound files: on a path, where commits replace the file atomically, or
// on bytes that the caller provides.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <string_view>

#include "win32/core/errno_error.h"
#include "win32/core/exception_barrier.h"
#include "win32/core/unique_fd.h"
#include "win32/files/file_name.h"
#include "win32/storage/storage_objects.h"

namespace vtplatform::storage {
namespace {

constexpr std::array<unsigned char, 8> kSignature = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

HRESULT check_root_mode(DWORD mode, bool create) {
  if (access_of(mode) == 0x3 || (mode & STGM_CONVERT) != 0) return STG_E_INVALIDFLAG;
  if (create && !may_write(mode)) return STG_E_INVALIDFLAG;
  return S_OK;
}

bool transacted(DWORD mode) { return (mode & STGM_TRANSACTED) != 0; }

// The HRESULT for a file that could not be found or opened.
HRESULT file_error(int error, const std::string& path) {
  switch (win32_error_for_path(error, path.c_str())) {
    case ERROR_FILE_NOT_FOUND: return STG_E_FILENOTFOUND;
    case ERROR_PATH_NOT_FOUND: return STG_E_PATHNOTFOUND;
    case ERROR_ACCESS_DENIED: return STG_E_ACCESSDENIED;
    case ERROR_TOO_MANY_OPEN_FILES: return STG_E_TOOMANYOPENFILES;
    default: return STG_E_READFAULT;
  }
}

// The file a document name stands for, made absolute with its links resolved, so that commits
// replace the real file (not a link to it) and still find it after the current directory
// changes. A name that does not exist yet is resolved through its folder.
HRESULT path_of(LPCOLESTR name, std::string& path) {
  if (name == nullptr) return STG_E_INVALIDNAME;
  const auto narrow = narrow_file_name(name);
  if (!narrow || narrow->empty()) return STG_E_INVALIDNAME;
  path = *narrow;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) != nullptr) {
    path = resolved;
    return S_OK;
  }
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  if (::realpath(folder.c_str(), resolved) != nullptr) {
    path = std::string(resolved) + (std::string_view(resolved) == "/" ? "" : "/") +
           path.substr(slash == std::string::npos ? 0 : slash + 1);
  }
  return S_OK;
}

HRESULT create_docfile(LPCOLESTR name, DWORD mode, int version, IStorage** storage) {
  if (storage == nullptr) return STG_E_INVALIDPOINTER;
  *storage = nullptr;
  std::string path;
  if (HRESULT result = path_of(name, path); FAILED(result)) return result;
  if (HRESULT result = check_root_mode(mode, true); FAILED(result)) return result;
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) return STG_E_ACCESSDENIED;
    if ((mode & STGM_CREATE) == 0) return STG_E_FILEALREADYEXISTS;
  }
  std::shared_ptr<Document> document;
  const HRESULT result =
      Document::create(ComPtr<ILockBytes>(), path, version, transacted(mode),
                       vtplatform::cfb::FileSharing::of(mode), (mode & STGM_CREATE) != 0, document);
  if (SUCCEEDED(result)) *storage = new_root_storage(std::move(document), mode);
  return result;
}

HRESULT open_docfile(LPCOLESTR name, DWORD mode, IStorage** storage) {
  if (storage == nullptr) return STG_E_INVALIDPOINTER;
  *storage = nullptr;
  std::string path;
  if (HRESULT result = path_of(name, path); FAILED(result)) return result;
  if (HRESULT result = check_root_mode(mode, false); FAILED(result)) return result;
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return file_error(errno, path);
  if (S_ISDIR(status.st_mode)) return STG_E_ACCESSDENIED;
  ComPtr<ILockBytes> bytes;
  const auto sharing = cfb::FileSharing::of(mode);
  HRESULT result =
      cfb::open_file_bytes(path.c_str(), may_write(mode), false, sharing, bytes);
  std::shared_ptr<Document> document;
  if (SUCCEEDED(result)) {
    result = Document::open(std::move(bytes), path, may_write(mode), transacted(mode), sharing,
                            document);
  }
  if (SUCCEEDED(result)) *storage = new_root_storage(std::move(document), mode);
  return result;
}

HRESULT is_storage_file(LPCOLESTR name) {
  std::string path;
  if (HRESULT result = path_of(name, path); FAILED(result)) return result;
  UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) return file_error(errno, path);
  std::array<unsigned char, kSignature.size()> start{};
  const ssize_t got = ::pread(file.get(), start.data(), start.size(), 0);
  return got == static_cast<ssize_t>(start.size()) && start == kSignature ? S_OK : S_FALSE;
}

}  // namespace
}  // namespace vtplatform::storage

using namespace vtplatform::storage;
using vtplatform::ComPtr;
using vtplatform::com_without_exceptions;

// No exception leaves these functions. One from the code-page engine can only come from the
// document's name, and fails as a name that cannot be; one from an allocation is E_OUTOFMEMORY.

HRESULT StgCreateDocfile(LPCOLESTR name, DWORD mode, DWORD, IStorage** storage) {
  return com_without_exceptions(STG_E_INVALIDNAME,
                                [&] { return create_docfile(name, mode, 3, storage); });
}

HRESULT StgCreateStorageEx(LPCOLESTR name, DWORD mode, DWORD format, DWORD,
                           STGOPTIONS* options, PSECURITY_DESCRIPTOR, REFIID iid, void** object) {
  if (object == nullptr) return STG_E_INVALIDPOINTER;
  *object = nullptr;
  if (iid != IID_IStorage) return E_NOINTERFACE;
  if (format != STGFMT_DOCFILE && format != STGFMT_STORAGE) return STG_E_INVALIDPARAMETER;
  int version = 3;
  if (options != nullptr) {
    if (options->ulSectorSize == 4096) {
      version = 4;
    } else if (options->ulSectorSize != 512) {
      return STG_E_INVALIDPARAMETER;
    }
  }
  return com_without_exceptions(STG_E_INVALIDNAME, [&] {
    return create_docfile(name, mode, version, reinterpret_cast<IStorage**>(object));
  });
}

HRESULT StgOpenStorage(LPCOLESTR name, IStorage*, DWORD mode, SNB, DWORD, IStorage** storage) {
  return com_without_exceptions(STG_E_INVALIDNAME,
                                [&] { return open_docfile(name, mode, storage); });
}

HRESULT StgCreateDocfileOnILockBytes(ILockBytes* bytes, DWORD mode, DWORD, IStorage** storage) {
  if (storage == nullptr || bytes == nullptr) return STG_E_INVALIDPOINTER;
  *storage = nullptr;
  if (HRESULT result = check_root_mode(mode, true); FAILED(result)) return result;
  return com_without_exceptions(E_UNEXPECTED, [&] {
    std::shared_ptr<Document> document;
    // Bytes that the caller provides are shared as the caller arranges.
    const HRESULT result = Document::create(ComPtr<ILockBytes>(bytes), std::string(), 3,
                                            transacted(mode), {}, false, document);
    if (SUCCEEDED(result)) *storage = new_root_storage(std::move(document), mode);
    return result;
  });
}

HRESULT StgOpenStorageOnILockBytes(ILockBytes* bytes, IStorage*, DWORD mode, SNB, DWORD,
                                   IStorage** storage) {
  if (storage == nullptr || bytes == nullptr) return STG_E_INVALIDPOINTER;
  *storage = nullptr;
  if (HRESULT result = check_root_mode(mode, false); FAILED(result)) return result;
  return com_without_exceptions(E_UNEXPECTED, [&] {
    std::shared_ptr<Document> document;
    const HRESULT result = Document::open(ComPtr<ILockBytes>(bytes), std::string(),
                                          may_write(mode), transacted(mode), {}, document);
    if (SUCCEEDED(result)) *storage = new_root_storage(std::move(document), mode);
    return result;
  });
}

HRESULT StgIsStorageFile(LPCOLESTR name) {
  return com_without_exceptions(STG_E_INVALIDNAME, [&] { return is_storage_file(name); });
}
