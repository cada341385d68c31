/* Helpers of the Windows-side interoperability programs: failing with a message, and UTF-8
 * to and from UTF-16 for names, paths and plans. Built with MinGW, run under Wine. */
#ifndef INTEROP_WINE_OLE_COMMON_H
#define INTEROP_WINE_OLE_COMMON_H

#define COBJMACROS
#include <objbase.h>
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static inline void die(const char* what, const char* detail, HRESULT result) {
  fprintf(stderr, "%s %s failed with 0x%08lX\n", what, detail, (unsigned long)result);
  exit(1);
}

static inline void check(HRESULT result, const char* what, const char* detail) {
  if (result != S_OK) die(what, detail, result);
}

/* A UTF-16 copy of UTF-8 text, to free with free(). */
static inline WCHAR* to_wide(const char* utf8) {
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, NULL, 0);
  WCHAR* text;
  if (length == 0) die("MultiByteToWideChar", utf8, E_INVALIDARG);
  text = (WCHAR*)malloc(length * sizeof(WCHAR));
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, text, length);
  return text;
}

/* A UTF-8 copy of UTF-16 text, to free with free(). */
static inline char* to_utf8(const WCHAR* text) {
  int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, NULL, 0, NULL, NULL);
  char* bytes;
  if (length == 0) die("WideCharToMultiByte", "", E_INVALIDARG);
  bytes = (char*)malloc(length);
  WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, bytes, length, NULL, NULL);
  return bytes;
}

#endif /* INTEROP_WINE_OLE_COMMON_H */
