// Fuzzes the registry's ".reg" store. Any bytes parse without fault, and the model written back
// gives every line of the input unchanged (line ends become "\n"). The input up to its first NUL
// is then taken as a store and changed by operations that the rest of the input spells, with
// names and key paths such as the registry functions accept: each change is seen at once, and
// the store written and read again writes the same text and finds the same keys and values. The
// store is walked by characters of the ANSI code page, so scripts/fuzz runs this target under a
// double-byte locale as well.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vtplatform/win32/registry.h"
#include "win32/settings/reg_file.h"
#include "win32/text/ansi_text.h"
#include "written_lines.h"

namespace {

using vtplatform::RegFile;
using vtplatform::RegValue;

// A name or key path that the registry functions accept: one that fits in lines, and a C string.
bool is_accepted(std::string_view name) {
  return RegFile::fits_in_lines(name) && name.find('\0') == std::string_view::npos;
}

DWORD value_type(FuzzedDataProvider& provider) {
  static constexpr DWORD kTypes[] = {REG_SZ, REG_SZ, REG_DWORD, REG_BINARY, REG_EXPAND_SZ,
                                     REG_MULTI_SZ, REG_QWORD, REG_NONE};
  const auto pick = provider.ConsumeIntegralInRange<std::size_t>(0, std::size(kTypes));
  return pick < std::size(kTypes) ? kTypes[pick] : provider.ConsumeIntegral<DWORD>();
}

struct Probe {
  std::string path;
  std::string name;
};

bool same_value(const RegValue* a, const RegValue* b) {
  return a == nullptr ? b == nullptr : b != nullptr && *a == *b;
}

// Applies one operation to `file` and checks that its effect shows; the key and value it names
// join `probes`.
void apply_operation(FuzzedDataProvider& provider, RegFile& file, std::vector<Probe>& probes) {
  const std::string path = "HKEY_CURRENT_USER\\" + provider.ConsumeRandomLengthString(24);
  const std::string name = provider.ConsumeRandomLengthString(16);
  if (!is_accepted(path) || !is_accepted(name)) return;
  probes.push_back({path, name});
  switch (provider.ConsumeIntegralInRange(0, 3)) {
    case 0: {
      RegValue value{name, value_type(provider), provider.ConsumeRandomLengthString(96)};
      if (provider.ConsumeBool()) value.data.push_back('\0');
      file.set_value(path, value);
      const RegValue* found = file.find_value(path, name);
      if (found == nullptr || found->type != value.type || found->data != value.data ||
          !vtplatform::same_name(found->name, name)) {
        __builtin_trap();
      }
      break;
    }
    case 1:
      file.delete_value(path, name);
      if (file.find_value(path, name) != nullptr) __builtin_trap();
      break;
    case 2:
      file.delete_key(path);
      if (file.find_value(path, name) != nullptr) __builtin_trap();
      break;
    default:
      file.add_key(path);
      if (!file.has_key(path)) __builtin_trap();
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view text = input.substr(0, input.find('\0'));
  RegFile file = RegFile::parse(text);
  const std::string kept =
      text.size() == size ? file.serialize() : RegFile::parse(input).serialize();
  if (!input.empty() && kept != written_lines(input, "\n")) __builtin_trap();

  const std::size_t operations = std::min(size, text.size() + 1);
  FuzzedDataProvider provider(data + operations, size - operations);
  std::vector<Probe> probes;
  while (provider.remaining_bytes() != 0) apply_operation(provider, file, probes);

  const std::string written = file.serialize();
  const RegFile reread = RegFile::parse(written);
  if (reread.serialize() != written) __builtin_trap();
  for (const auto& [path, name] : probes) {
    if (!same_value(reread.find_value(path, name), file.find_value(path, name)) ||
        reread.has_key(path) != file.has_key(path) ||
        reread.has_subkeys(path) != file.has_subkeys(path)) {
      __builtin_trap();
    }
  }
  return 0;
}
