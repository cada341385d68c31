// The shell items of the Vista-style file dialog: one chosen file (IShellItem), the list of
// them (IShellItemArray), and the dialog's selection interface (IFileOpenDialog).
#pragma once

#include <cstdint>

#include "vtplatform/win32/com.h"
#include "vtplatform/win32/types.h"

// Forms of an item's display name.
enum SIGDN : std::int32_t {
  SIGDN_NORMALDISPLAY = 0,                       // the file's name, with its extension
  SIGDN_FILESYSPATH = static_cast<std::int32_t>(0x80058000),  // the full path
};

inline constexpr IID IID_IShellItem = {
    0x43826d1e, 0xe718, 0x42ee, {0xbc, 0x55, 0xa1, 0xe2, 0x61, 0xc3, 0x7b, 0xfe}};
inline constexpr IID IID_IShellItemArray = {
    0xb63ea76d, 0x1f85, 0x456f, {0xa1, 0x9c, 0x48, 0x15, 0x9e, 0xfa, 0x85, 0x8b}};
inline constexpr IID IID_IFileOpenDialog = {
    0xd57c7288, 0xd4ad, 0x4768, {0xbe, 0x02, 0x9d, 0x96, 0x95, 0x32, 0xd9, 0x60}};

class IShellItem : public IUnknown {
 public:
  // The item's name in the form asked for, in memory from CoTaskMemAlloc that the caller frees
  // with CoTaskMemFree. E_INVALIDARG for another form, E_POINTER for a null `name`.
  virtual HRESULT GetDisplayName(SIGDN form, LPWSTR* name) = 0;

 protected:
  ~IShellItem() = default;
};

class IShellItemArray : public IUnknown {
 public:
  virtual HRESULT GetCount(DWORD* count) = 0;
  // The item at `index`, with a reference the caller releases; E_INVALIDARG past the end.
  virtual HRESULT GetItemAt(DWORD index, IShellItem** item) = 0;

 protected:
  ~IShellItemArray() = default;
};

class IFileOpenDialog : public IUnknown {
 public:
  // The files selected while the user confirms, with a reference the caller releases;
  // E_UNEXPECTED while the dialog is not being confirmed.
  virtual HRESULT GetSelectedItems(IShellItemArray** items) = 0;
  // The files of the last confirmed answer; E_UNEXPECTED before there is one.
  virtual HRESULT GetResults(IShellItemArray** items) = 0;

 protected:
  ~IFileOpenDialog() = default;
};
