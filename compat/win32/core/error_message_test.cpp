// Tests of FormatMessageA: Win32 codes and HRESULTs of each facility in plain words, and the
// refusals.
#include <gtest/gtest.h>

#include <string>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/storage.h"

namespace {

std::string message(DWORD id) {
  char text[128] = "unchanged";
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, id, 0, text, sizeof text, nullptr);
  return length == 0 ? "error " + std::to_string(GetLastError()) : std::string(text, length);
}

TEST(FormatMessage, SaysWhatWentWrongInPlainWords) {
  struct Case {
    DWORD id;
    const char* text;
  };
  for (const Case& c : {
           Case{ERROR_FILE_NOT_FOUND, "No such file or directory"},
           Case{ERROR_DIRECTORY, "Not an existing folder"},
           Case{ERROR_SHARING_VIOLATION, "In use by another program"},
           Case{static_cast<DWORD>(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)), "Permission denied"},
           Case{static_cast<DWORD>(E_OUTOFMEMORY), "Cannot allocate memory"},
           Case{static_cast<DWORD>(STG_E_FILENOTFOUND), "No such file or directory"},
           Case{static_cast<DWORD>(STG_E_SHAREVIOLATION), "In use by another program"},
           Case{static_cast<DWORD>(STG_E_INVALIDHEADER), "Not a compound file"},
           Case{static_cast<DWORD>(E_FAIL), "Unspecified error"},
           Case{0x1234567, "error 317"},  // ERROR_MR_MID_NOT_FOUND
       }) {
    EXPECT_EQ(message(c.id), c.text) << std::hex << c.id;
  }
}

TEST(FormatMessage, RefusesWhatItCannotDo) {
  char text[8] = "";
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND, 0, text,
                           sizeof text, nullptr),
            0u);  // "No such file or directory" does not fit
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(FormatMessageA(0, nullptr, ERROR_FILE_NOT_FOUND, 0, text, sizeof text, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND, 0x409, text,
                           sizeof text, nullptr),
            0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
