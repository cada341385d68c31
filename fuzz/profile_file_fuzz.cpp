// Fuzzes the INI file model behind the private profile functions. Any bytes parse without fault,
// and the model written back gives every line of the input unchanged (with the line end of its
// first line). The input up to its first NUL is then taken as a file and changed by operations
// that the rest of the input spells, with names and values such as WritePrivateProfileString
// accepts: each change is seen at once, and the file written and read again writes the same text
// and finds the same sections, keys and values. Section headers are walked by characters of the
// ANSI code page, so scripts/fuzz runs this target under a double-byte locale as well.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "win32/settings/private_profile_file.h"
#include "written_lines.h"

namespace {

using vtplatform::ProfileFile;

// The line end that the model writes: the first line's.
std::string_view line_end(std::string_view text) {
  return text.substr(0, text.find('\n')).ends_with('\r') ? "\r\n" : "\n";
}

// Whether a value written as is reads back as is: the reading drops blanks and quotes around it.
bool reads_back_as_is(std::string_view value) {
  constexpr std::string_view kDropped = " \t\"'";
  return value.empty() || (kDropped.find(value.front()) == std::string_view::npos &&
                           kDropped.find(value.back()) == std::string_view::npos);
}

// Applies one operation to `file` and checks that its effect shows.
void apply_operation(FuzzedDataProvider& provider, ProfileFile& file) {
  const std::string section = provider.ConsumeRandomLengthString(16);
  const std::string key = provider.ConsumeRandomLengthString(16);
  const std::string value = provider.ConsumeRandomLengthString(48);
  if (!ProfileFile::fits_in_lines(section.c_str(), key.c_str(), value.c_str()) ||
      section.find('\0') != std::string::npos || key.find('\0') != std::string::npos ||
      value.find('\0') != std::string::npos) {
    return;
  }
  switch (provider.ConsumeIntegralInRange(0, 2)) {
    case 0: {
      file.set_value(section, key, value);
      const std::string* found = file.find_value(section, key);
      if (found == nullptr || (reads_back_as_is(value) && *found != value)) __builtin_trap();
      break;
    }
    case 1:
      file.delete_key(section, key);
      if (file.find_value(section, key) != nullptr) __builtin_trap();
      break;
    default:
      file.delete_section(section);
      if (file.find_value(section, key) != nullptr) __builtin_trap();
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view text = input.substr(0, input.find('\0'));
  ProfileFile file = ProfileFile::parse(text);
  const std::string kept =
      text.size() == size ? file.serialize() : ProfileFile::parse(input).serialize();
  if (kept != written_lines(input, line_end(input))) __builtin_trap();

  const std::size_t operations = std::min(size, text.size() + 1);
  FuzzedDataProvider provider(data + operations, size - operations);
  while (provider.remaining_bytes() != 0) apply_operation(provider, file);

  const std::string written = file.serialize();
  const ProfileFile reread = ProfileFile::parse(written);
  if (reread.serialize() != written || reread.section_names() != file.section_names()) {
    __builtin_trap();
  }
  for (const std::string& section : file.section_names()) {
    if (reread.key_names(section) != file.key_names(section)) __builtin_trap();
    for (const std::string& key : file.key_names(section)) {
      const std::string* again = reread.find_value(section, key);
      if (again == nullptr || *again != *file.find_value(section, key)) __builtin_trap();
    }
  }
  return 0;
}
