// Temporary folders and unique names on POSIX: the folder comes from the environment, names get
// random characters and are checked against the file system.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/temp_file.h"
#include "win32/core/errno_error.h"
#include "win32/files/file_name.h"
#include "win32/text/ansi_text.h"

namespace {

bool is_folder(const char* path) {
  struct stat status {};
  return path != nullptr && *path != '\0' && ::stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

bool exists(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0;
}

std::string temp_folder() {
  const char* folder = ::getenv("TMPDIR");
  std::string path = folder != nullptr && *folder == '/' ? folder : "/tmp";
  if (!path.ends_with('/')) path.push_back('/');
  return path;
}

std::string with_separator(std::string folder) {
  if (!folder.ends_with('/')) folder.push_back('/');
  return folder;
}

// `count` random letters and digits, lower case so that names differ on every file system.
std::string random_letters(int count) {
  static constexpr std::string_view kAlphabet = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 engine{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
  std::string letters;
  for (int i = 0; i < count; ++i) letters.push_back(kAlphabet[pick(engine)]);
  return letters;
}

// The first of `attempts` candidates made by `make` that no file has, or "".
template <class Make>
std::string unused_name(Make make, int attempts = 100) {
  for (int i = 0; i < attempts; ++i) {
    std::string candidate = make();
    if (!exists(candidate)) return candidate;
  }
  return {};
}

}  // namespace

DWORD GetTempPathA(DWORD buffer_length, LPSTR buffer) {
  return vtplatform::copy_out<char>(temp_folder(), buffer, buffer_length);
}

UINT GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR temp_file_name) {
  if (path == nullptr || temp_file_name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!is_folder(path)) {
    SetLastError(ERROR_DIRECTORY);
    return 0;
  }
  // Windows takes the first three characters of the prefix, never half of one.
  const std::string start =
      with_separator(path) +
      std::string(vtplatform::AnsiText(prefix == nullptr ? "" : prefix).first_chars(3));
  const auto name_for = [&start](UINT number) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", number);
    return start + hex + ".tmp";
  };
  if (name_for(0xFFFF).size() >= MAX_PATH) {
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return 0;
  }
  if (unique != 0) {
    std::strcpy(temp_file_name, name_for(unique & 0xFFFF).c_str());
    return unique & 0xFFFF;
  }
  // Windows takes the numbers 1 to 0xFFFF in turn from a varying start until one is free.
  const UINT first = std::random_device{}() % 0xFFFF + 1;
  for (UINT step = 0; step < 0xFFFF; ++step) {
    const UINT number = (first - 1 + step) % 0xFFFF + 1;
    const std::string name = name_for(number);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      std::strcpy(temp_file_name, name.c_str());
      return number;
    }
    if (errno != EEXIST) {
      vtplatform::set_last_error_for_path(errno, name.c_str());
      return 0;
    }
  }
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}

char* _tempnam(const char* dir, const char* prefix) {
  const char* tmp = ::getenv("TMP");
  const std::string folder = with_separator(is_folder(tmp) ? tmp
                                            : is_folder(dir) ? dir
                                                             : temp_folder());
  const std::string start = folder + (prefix == nullptr ? "" : prefix);
  const std::string name = unused_name([&start] { return start + random_letters(6); });
  return name.empty() ? nullptr : ::strdup(name.c_str());
}

errno_t tmpnam_s(char* buffer, std::size_t size) {
  if (buffer == nullptr) return EINVAL;
  if (size < L_tmpnam_s) {
    if (size > 0) buffer[0] = '\0';
    return ERANGE;
  }
  const std::string name = unused_name([] { return "/s" + random_letters(6) + "."; });
  if (name.empty()) return EEXIST;
  std::strcpy(buffer, name.c_str());
  return 0;
}
