// vtuEffectivePlatform: the platform word size and its two names.
#include "vtutils/effective_platform.h"

#include <cstring>

namespace {
constexpr char k32Bit[] = "32-bit";
constexpr char k64Bit[] = "64-bit";
}  // namespace

void vtuEffectivePlatform::set_from_string(const char* text) {
  if (text == nullptr) return;
  // Whole texts, terminator included: "64-bit " and "64-Bit" are not "64-bit". strcmp stops at
  // the caller's terminator, so a shorter text is never read past its end.
  if (std::strcmp(text, k32Bit) == 0) {
    platform_ = VTU_PLATFORM_32BIT;
  } else if (std::strcmp(text, k64Bit) == 0) {
    platform_ = VTU_PLATFORM_64BIT;
  }
}

const char* vtuEffectivePlatform::to_string() const {
  return platform_ == VTU_PLATFORM_64BIT ? k64Bit : k32Bit;
}
