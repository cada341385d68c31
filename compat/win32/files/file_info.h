// What Windows reports about a file, computed from what stat(2) says: its times as FILETIME
// values and its attributes.
#pragma once

#include <sys/stat.h>
#include <time.h>

#include <cstdint>
#include <string_view>

#include "vtplatform/win32/file.h"

namespace vtplatform {

// Seconds from 1601-01-01 to the Unix epoch 1970-01-01.
inline constexpr std::int64_t kFileTimeEpochOffsetSeconds = 11644473600;

// A count of 100-nanosecond intervals since 1601 split into the two halves of a FILETIME.
inline FILETIME filetime_from_ticks(std::uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// The FILETIME of a point given as time since the Unix epoch; points before 1601 give 0.
inline FILETIME filetime_from_timespec(const timespec& time) {
  const std::int64_t seconds = time.tv_sec + kFileTimeEpochOffsetSeconds;
  if (seconds < 0) return FILETIME{0, 0};
  return filetime_from_ticks(static_cast<std::uint64_t>(seconds) * 10'000'000u +
                             static_cast<std::uint64_t>(time.tv_nsec) / 100u);
}

// The attributes of a file with status `status` and last name component `name`: a folder is
// DIRECTORY, a file nobody may write READONLY, a dot file HIDDEN, a symbolic link (`is_link`)
// REPARSE_POINT; a file with none of these is NORMAL.
inline DWORD file_attributes(const struct stat& status, bool is_link, std::string_view name) {
  DWORD attributes = 0;
  if (S_ISDIR(status.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  if (name.starts_with('.') && name != "." && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
  if (is_link) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

}  // namespace vtplatform
