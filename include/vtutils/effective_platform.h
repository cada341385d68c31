// vtuEffectivePlatform: the platform word size ("32-bit" or "64-bit") the applications work for.
#pragma once

#include "vtutils/export.h"

enum vtuPlatform : int {
  VTU_PLATFORM_32BIT = 0,
  VTU_PLATFORM_64BIT = 1,
};

class VTUTILS_API vtuEffectivePlatform {
 public:
  // A new value names the 64-bit platform.
  vtuEffectivePlatform() = default;

  vtuPlatform platform() const { return platform_; }
  // Sets the platform from exactly "32-bit" or "64-bit" (case-sensitive); any other text, and a
  // null pointer, leaves it unchanged.
  void set_from_string(const char* text);
  // "64-bit" for the 64-bit platform, "32-bit" for every other value. Static text.
  const char* to_string() const;

 private:
  vtuPlatform platform_ = VTU_PLATFORM_64BIT;
};
