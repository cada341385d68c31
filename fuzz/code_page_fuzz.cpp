// Fuzzes the code page conversions: any bytes in any known code page convert to wide text and
// back without fault, and the counting call agrees with the converting one.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "vtutils/platform/text.h"
#include "vtutils/platform/win32_types.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static constexpr UINT kCodePages[] = {CP_UTF8, 1252, 1251, 932, 936, 950, 54936, 51932, 28591};
  if (size < 1) return 0;
  const UINT code_page = kCodePages[data[0] % std::size(kCodePages)];
  const auto* bytes = reinterpret_cast<const char*>(data + 1);
  const int length = static_cast<int>(size - 1);
  if (length == 0) return 0;

  const int wide_length = MultiByteToWideChar(code_page, 0, bytes, length, nullptr, 0);
  if (wide_length <= 0) __builtin_trap();
  std::vector<wchar_t> wide(static_cast<std::size_t>(wide_length));
  if (MultiByteToWideChar(code_page, 0, bytes, length, wide.data(), wide_length) != wide_length) {
    __builtin_trap();
  }
  const int narrow_length =
      WideCharToMultiByte(code_page, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  if (narrow_length <= 0) __builtin_trap();
  std::vector<char> narrow(static_cast<std::size_t>(narrow_length));
  if (WideCharToMultiByte(code_page, 0, wide.data(), wide_length, narrow.data(), narrow_length,
                          nullptr, nullptr) != narrow_length) {
    __builtin_trap();
  }
  return 0;
}
