// COM basics: GUIDs, IUnknown and the task memory allocator.
//
// Objects behind COM interfaces count their references and delete themselves when the last one
// is released. Interfaces have no virtual destructor: Release is the only way to end an object.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vtplatform/export.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/types.h"

using ULONG = std::uint32_t;
using USHORT = std::uint16_t;
// Wide text of the COM interfaces. On Linux wchar_t holds UTF-32; names are counted in code
// points and stored in UTF-16 where a file format asks for it.
using OLECHAR = wchar_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
  friend bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline constexpr CLSID CLSID_NULL = {};

inline bool IsEqualGUID(const GUID& a, const GUID& b) { return a == b; }

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IUnknown {
 public:
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

// Memory that COM hands to callers (names in STATSTG, display names) and callers free.
VTPLATFORM_API void* CoTaskMemAlloc(std::size_t size);
VTPLATFORM_API void CoTaskMemFree(void* memory);
