// The common dialog box settings record of the open and save dialogs (narrow-text form), its
// flags, and the extended error of the last dialog.
#pragma once

#include <cstdint>

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

using WPARAM = std::uintptr_t;
using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;

// A dialog hook procedure. The dialogs here are not windows, so a hook is kept but never called.
using LPOFNHOOKPROC = UINT_PTR (*)(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  // Pairs of display text and pattern list ("*.txt;*.log"), each ended by a NUL, the list ended
  // by one more NUL.
  LPCSTR lpstrFilter;
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  // The filter shown first, counted from 1; set to the one the user chose.
  DWORD nFilterIndex;
  // In: the initial file name. Out: one full path, or with OFN_ALLOWMULTISELECT and several
  // files the folder, then each name, each ended by a NUL, then one more NUL.
  LPSTR lpstrFile;
  // The size of lpstrFile in characters, terminators included.
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  // Out: offsets into lpstrFile of the (first) file name and of its extension after the dot; the
  // extension offset is that of the terminator when the name has none, and 0 for several files.
  WORD nFileOffset;
  WORD nFileExtension;
  // Appended with a dot to a saved name that has no extension.
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
  void* pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
};
using LPOPENFILENAMEA = OPENFILENAMEA*;

inline constexpr DWORD OFN_READONLY = 0x00000001;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
inline constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
inline constexpr DWORD OFN_ENABLETEMPLATE = 0x00000040;
inline constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
inline constexpr DWORD OFN_EXPLORER = 0x00080000;

// Extended errors of the open and save dialogs.
inline constexpr DWORD CDERR_GENERALCODES = 0x0000;
// The answer does not fit nMaxFile: the first two bytes of lpstrFile then hold the size needed,
// in characters.
inline constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

// The error of the last open or save dialog on the calling thread: 0 after a success or a
// cancel, FNERR_BUFFERTOOSMALL when the answer did not fit.
VTPLATFORM_API DWORD CommDlgExtendedError();
