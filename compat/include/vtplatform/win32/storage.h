// Structured storage: storages and streams inside one compound file ("a file system in a file"),
// with the COM interfaces IStorage, IStream, IEnumSTATSTG and ILockBytes.
//
// Compound files are real OLE2 files of version 3 (512-byte sectors, at most 2 GiB) or version 4
// (4096-byte sectors). A storage opened for writing keeps its changes apart from the file and
// writes the whole document to a temporary file beside it when it commits, which then replaces
// the document in one rename: a crash never leaves a half-written document. In direct mode the
// root storage commits when its last reference is released; in transacted mode only Commit
// writes, and Revert throws the changes away.
//
// Element names are at most 31 UTF-16 units and may hold any character but '/', '\', ':' and '!'.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/com.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/security.h"
#include "vtplatform/win32/types.h"

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  std::int64_t QuadPart;
};
union ULARGE_INTEGER {
  struct {
    DWORD LowPart;
    DWORD HighPart;
  } u;
  std::uint64_t QuadPart;
};

// Access, sharing and creation modes (grfMode).
inline constexpr DWORD STGM_READ = 0x00000000;
inline constexpr DWORD STGM_WRITE = 0x00000001;
inline constexpr DWORD STGM_READWRITE = 0x00000002;
inline constexpr DWORD STGM_SHARE_DENY_NONE = 0x00000040;
inline constexpr DWORD STGM_SHARE_DENY_READ = 0x00000030;
inline constexpr DWORD STGM_SHARE_DENY_WRITE = 0x00000020;
inline constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x00000010;
inline constexpr DWORD STGM_PRIORITY = 0x00040000;
inline constexpr DWORD STGM_CREATE = 0x00001000;
inline constexpr DWORD STGM_CONVERT = 0x00020000;
inline constexpr DWORD STGM_FAILIFTHERE = 0x00000000;
inline constexpr DWORD STGM_DIRECT = 0x00000000;
inline constexpr DWORD STGM_TRANSACTED = 0x00010000;
inline constexpr DWORD STGM_NOSCRATCH = 0x00100000;
inline constexpr DWORD STGM_NOSNAPSHOT = 0x00200000;
inline constexpr DWORD STGM_SIMPLE = 0x08000000;
inline constexpr DWORD STGM_DIRECT_SWMR = 0x00400000;
inline constexpr DWORD STGM_DELETEONRELEASE = 0x04000000;

// Commit flags.
inline constexpr DWORD STGC_DEFAULT = 0;
inline constexpr DWORD STGC_OVERWRITE = 1;
inline constexpr DWORD STGC_ONLYIFCURRENT = 2;
inline constexpr DWORD STGC_DANGEROUSLYCOMMITMERELYTODISKCACHE = 4;
inline constexpr DWORD STGC_CONSOLIDATE = 8;

// Seek origins.
inline constexpr DWORD STREAM_SEEK_SET = 0;
inline constexpr DWORD STREAM_SEEK_CUR = 1;
inline constexpr DWORD STREAM_SEEK_END = 2;

// Stat flags and element types.
inline constexpr DWORD STATFLAG_DEFAULT = 0;
inline constexpr DWORD STATFLAG_NONAME = 1;
inline constexpr DWORD STGTY_STORAGE = 1;
inline constexpr DWORD STGTY_STREAM = 2;
inline constexpr DWORD STGTY_LOCKBYTES = 3;
inline constexpr DWORD STGTY_PROPERTY = 4;

// MoveElementTo flags.
inline constexpr DWORD STGMOVE_MOVE = 0;
inline constexpr DWORD STGMOVE_COPY = 1;

// Storage HRESULTs.
inline constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001);
inline constexpr HRESULT STG_E_FILENOTFOUND = static_cast<HRESULT>(0x80030002);
inline constexpr HRESULT STG_E_PATHNOTFOUND = static_cast<HRESULT>(0x80030003);
inline constexpr HRESULT STG_E_TOOMANYOPENFILES = static_cast<HRESULT>(0x80030004);
inline constexpr HRESULT STG_E_ACCESSDENIED = static_cast<HRESULT>(0x80030005);
inline constexpr HRESULT STG_E_INVALIDHANDLE = static_cast<HRESULT>(0x80030006);
inline constexpr HRESULT STG_E_INSUFFICIENTMEMORY = static_cast<HRESULT>(0x80030008);
inline constexpr HRESULT STG_E_INVALIDPOINTER = static_cast<HRESULT>(0x80030009);
inline constexpr HRESULT STG_E_NOMOREFILES = static_cast<HRESULT>(0x80030012);
inline constexpr HRESULT STG_E_DISKISWRITEPROTECTED = static_cast<HRESULT>(0x80030013);
inline constexpr HRESULT STG_E_SEEKERROR = static_cast<HRESULT>(0x80030019);
inline constexpr HRESULT STG_E_WRITEFAULT = static_cast<HRESULT>(0x8003001D);
inline constexpr HRESULT STG_E_READFAULT = static_cast<HRESULT>(0x8003001E);
inline constexpr HRESULT STG_E_SHAREVIOLATION = static_cast<HRESULT>(0x80030020);
inline constexpr HRESULT STG_E_LOCKVIOLATION = static_cast<HRESULT>(0x80030021);
inline constexpr HRESULT STG_E_FILEALREADYEXISTS = static_cast<HRESULT>(0x80030050);
inline constexpr HRESULT STG_E_INVALIDPARAMETER = static_cast<HRESULT>(0x80030057);
inline constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070);
inline constexpr HRESULT STG_E_ABNORMALAPIEXIT = static_cast<HRESULT>(0x800300FA);
inline constexpr HRESULT STG_E_INVALIDHEADER = static_cast<HRESULT>(0x800300FB);
inline constexpr HRESULT STG_E_INVALIDNAME = static_cast<HRESULT>(0x800300FC);
inline constexpr HRESULT STG_E_UNKNOWN = static_cast<HRESULT>(0x800300FD);
inline constexpr HRESULT STG_E_UNIMPLEMENTEDFUNCTION = static_cast<HRESULT>(0x800300FE);
inline constexpr HRESULT STG_E_INVALIDFLAG = static_cast<HRESULT>(0x800300FF);
inline constexpr HRESULT STG_E_INUSE = static_cast<HRESULT>(0x80030100);
inline constexpr HRESULT STG_E_NOTCURRENT = static_cast<HRESULT>(0x80030101);
inline constexpr HRESULT STG_E_REVERTED = static_cast<HRESULT>(0x80030102);
inline constexpr HRESULT STG_E_CANTSAVE = static_cast<HRESULT>(0x80030103);
inline constexpr HRESULT STG_E_OLDFORMAT = static_cast<HRESULT>(0x80030104);
inline constexpr HRESULT STG_E_OLDDLL = static_cast<HRESULT>(0x80030105);
inline constexpr HRESULT STG_E_SHAREREQUIRED = static_cast<HRESULT>(0x80030106);
inline constexpr HRESULT STG_E_NOTFILEBASEDSTORAGE = static_cast<HRESULT>(0x80030107);
inline constexpr HRESULT STG_E_EXTANTMARSHALLINGS = static_cast<HRESULT>(0x80030108);
inline constexpr HRESULT STG_E_DOCFILECORRUPT = static_cast<HRESULT>(0x80030109);
inline constexpr HRESULT STG_E_DOCFILETOOLARGE = static_cast<HRESULT>(0x80030111);
inline constexpr HRESULT STG_E_NOTSIMPLEFORMAT = static_cast<HRESULT>(0x80030112);

struct STATSTG {
  LPOLESTR pwcsName;  // from CoTaskMemAlloc; the caller frees it with CoTaskMemFree
  DWORD type;
  ULARGE_INTEGER cbSize;
  FILETIME mtime;
  FILETIME ctime;
  FILETIME atime;
  DWORD grfMode;
  DWORD grfLocksSupported;
  CLSID clsid;
  DWORD grfStateBits;
  DWORD reserved;
};

inline constexpr IID IID_ISequentialStream = {0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};
inline constexpr IID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IStorage = {0x0000000B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IEnumSTATSTG = {0x0000000D, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_ILockBytes = {0x0000000A, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class ISequentialStream : public IUnknown {
 public:
  virtual HRESULT Read(void* buffer, ULONG count, ULONG* read) = 0;
  virtual HRESULT Write(const void* buffer, ULONG count, ULONG* written) = 0;

 protected:
  ~ISequentialStream() = default;
};

class IStream : public ISequentialStream {
 public:
  virtual HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* new_position) = 0;
  virtual HRESULT SetSize(ULARGE_INTEGER new_size) = 0;
  virtual HRESULT CopyTo(IStream* destination, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                         ULARGE_INTEGER* written) = 0;
  virtual HRESULT Commit(DWORD commit_flags) = 0;
  virtual HRESULT Revert() = 0;
  virtual HRESULT LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD lock_type) = 0;
  virtual HRESULT UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD lock_type) = 0;
  virtual HRESULT Stat(STATSTG* stat, DWORD stat_flag) = 0;
  virtual HRESULT Clone(IStream** clone) = 0;

 protected:
  ~IStream() = default;
};

class IEnumSTATSTG : public IUnknown {
 public:
  virtual HRESULT Next(ULONG count, STATSTG* elements, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumSTATSTG** clone) = 0;

 protected:
  ~IEnumSTATSTG() = default;
};

// A list of element names, ended by a null pointer.
using SNB = LPOLESTR*;

class IStorage : public IUnknown {
 public:
  virtual HRESULT CreateStream(LPCOLESTR name, DWORD mode, DWORD reserved1, DWORD reserved2,
                               IStream** stream) = 0;
  virtual HRESULT OpenStream(LPCOLESTR name, void* reserved1, DWORD mode, DWORD reserved2,
                             IStream** stream) = 0;
  virtual HRESULT CreateStorage(LPCOLESTR name, DWORD mode, DWORD reserved1, DWORD reserved2,
                                IStorage** storage) = 0;
  virtual HRESULT OpenStorage(LPCOLESTR name, IStorage* priority, DWORD mode, SNB exclude,
                              DWORD reserved, IStorage** storage) = 0;
  virtual HRESULT CopyTo(DWORD exclude_count, const IID* exclude_iids, SNB exclude_names,
                         IStorage* destination) = 0;
  virtual HRESULT MoveElementTo(LPCOLESTR name, IStorage* destination, LPCOLESTR new_name,
                                DWORD flags) = 0;
  virtual HRESULT Commit(DWORD commit_flags) = 0;
  virtual HRESULT Revert() = 0;
  virtual HRESULT EnumElements(DWORD reserved1, void* reserved2, DWORD reserved3,
                               IEnumSTATSTG** elements) = 0;
  virtual HRESULT DestroyElement(LPCOLESTR name) = 0;
  virtual HRESULT RenameElement(LPCOLESTR old_name, LPCOLESTR new_name) = 0;
  virtual HRESULT SetElementTimes(LPCOLESTR name, const FILETIME* creation,
                                  const FILETIME* access, const FILETIME* modification) = 0;
  virtual HRESULT SetClass(REFCLSID clsid) = 0;
  virtual HRESULT SetStateBits(DWORD state_bits, DWORD mask) = 0;
  virtual HRESULT Stat(STATSTG* stat, DWORD stat_flag) = 0;

 protected:
  ~IStorage() = default;
};

// The bytes under a compound file: a file, a block of memory, or whatever a host keeps its
// documents in.
class ILockBytes : public IUnknown {
 public:
  virtual HRESULT ReadAt(ULARGE_INTEGER offset, void* buffer, ULONG count, ULONG* read) = 0;
  virtual HRESULT WriteAt(ULARGE_INTEGER offset, const void* buffer, ULONG count,
                          ULONG* written) = 0;
  virtual HRESULT Flush() = 0;
  virtual HRESULT SetSize(ULARGE_INTEGER size) = 0;
  virtual HRESULT LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD lock_type) = 0;
  virtual HRESULT UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD lock_type) = 0;
  virtual HRESULT Stat(STATSTG* stat, DWORD stat_flag) = 0;

 protected:
  ~ILockBytes() = default;
};

// Formats and options of StgCreateStorageEx: usVersion 1 with ulSectorSize 512 makes a version 3
// file, ulSectorSize 4096 a version 4 file.
inline constexpr DWORD STGFMT_STORAGE = 0;
inline constexpr DWORD STGFMT_DOCFILE = 5;
struct STGOPTIONS {
  USHORT usVersion;
  USHORT reserved;
  ULONG ulSectorSize;
  const WCHAR* pwcsTemplateFile;
};

// Creates a version 3 compound file. With STGM_CREATE an existing file is replaced (on the first
// commit); without it an existing file gives STG_E_FILEALREADYEXISTS.
VTPLATFORM_API HRESULT StgCreateDocfile(LPCOLESTR name, DWORD mode, DWORD reserved,
                                        IStorage** storage);
// Creates a compound file of the version that `options` asks for (version 3 without options).
// Only STGFMT_DOCFILE and STGFMT_STORAGE are known, `iid` must be IID_IStorage, and the
// attributes and security descriptor are not used.
VTPLATFORM_API HRESULT StgCreateStorageEx(LPCOLESTR name, DWORD mode, DWORD format,
                                          DWORD attributes, STGOPTIONS* options,
                                          PSECURITY_DESCRIPTOR security, REFIID iid,
                                          void** object);
// Opens a compound file. A damaged file is refused with STG_E_INVALIDHEADER or
// STG_E_DOCFILECORRUPT; a file that is not a compound file with STG_E_FILEALREADYEXISTS, as on
// Windows.
VTPLATFORM_API HRESULT StgOpenStorage(LPCOLESTR name, IStorage* priority, DWORD mode,
                                      SNB exclude, DWORD reserved, IStorage** storage);
// The same on bytes that the caller provides.
VTPLATFORM_API HRESULT StgCreateDocfileOnILockBytes(ILockBytes* bytes, DWORD mode, DWORD reserved,
                                                    IStorage** storage);
VTPLATFORM_API HRESULT StgOpenStorageOnILockBytes(ILockBytes* bytes, IStorage* priority,
                                                  DWORD mode, SNB exclude, DWORD reserved,
                                                  IStorage** storage);
// S_OK when the file or the bytes begin with the compound file signature, S_FALSE otherwise.
VTPLATFORM_API HRESULT StgIsStorageFile(LPCOLESTR name);

// Bytes in memory, growing as they are written. On Linux there are no global memory handles:
// `global` must be null and the memory is the object's own.
using HGLOBAL = void*;
VTPLATFORM_API HRESULT CreateILockBytesOnHGlobal(HGLOBAL global, BOOL delete_on_release,
                                                 ILockBytes** bytes);
