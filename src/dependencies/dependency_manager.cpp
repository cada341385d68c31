// vtuDependencyManager: the singleton, the save and load cycles, and the "FOPDependencies"
// stream's writer and loader.
#include "vtutils/dependency_manager.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include "vtutils/dependency_reader.h"
#include "vtutils/platform/unicode_strings.h"
#include "vtutils/platform/win32_types.h"
#include "vtutils/string_converter.h"

namespace {

constexpr OLECHAR kStreamName[] = L"FOPDependencies";
// Replaces a stream of that name.
constexpr DWORD kCreateMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE;
constexpr DWORD kOpenMode = STGM_READ | STGM_SHARE_EXCLUSIVE;

vtuDependencyManager* instance = nullptr;

// Gives back the one reference that the holder got from CreateStream or OpenStream.
struct ReleaseStream {
  void operator()(IStream* stream) const { stream->Release(); }
};
using StreamReference = std::unique_ptr<IStream, ReleaseStream>;

bool has_text(const utString& text) { return !text.is_null() && text.length() != 0; }

// Whether the line holds exactly `text`; the null string holds nothing.
bool line_is(const utString& line, std::string_view text) {
  return !line.is_null() && std::string_view(line.data(), line.length()) == text;
}

// The identifier of a line like "CAD-17": the decimal number right after the first "CAD-", as
// strtoul reads it where unsigned long has 32 bits, the range the identifiers are written in. So
// white space and a sign may come before the digits, a minus sign negates modulo 2^32, and a
// number past 32 bits is a range error. Text before "CAD-" and after the number is ignored.
// False when there is no "CAD-", no number, or a range error.
bool parse_cad_id(const utString& line, std::uint32_t& cad_id) {
  const int at = line.locate_substring(utString(utStringLiteral, "CAD-"));
  if (at < 0) return false;
  const char* const number = line.data() + at + 4;
  char* end = nullptr;
  errno = 0;
  const unsigned long value = std::strtoul(number, &end, 10);
  if (end == number || errno == ERANGE) return false;
  const char* sign = number;
  while (std::isspace(static_cast<unsigned char>(*sign))) ++sign;
  const unsigned long magnitude = *sign == '-' ? 0 - value : value;
  if (magnitude > 0xFFFFFFFF) return false;
  cad_id = static_cast<std::uint32_t>(value);
  return true;
}

}  // namespace

vtuDependencyManager::vtuDependencyManager() = default;

vtuDependencyManager::~vtuDependencyManager() = default;

vtuDependencyManager& vtuDependencyManager::singleton() {
  return *access_singleton(utSingletonGet);
}

void vtuDependencyManager::delete_singleton() { access_singleton(utSingletonDelete); }

vtuDependencyManager* vtuDependencyManager::access_singleton(utSingletonAccessAction action) {
  if (action == utSingletonGet) {
    if (instance == nullptr) instance = new vtuDependencyManager;
    return instance;
  }
  delete std::exchange(instance, nullptr);
  return nullptr;
}

void vtuDependencyManager::start_save_dependencies() { saving_ = true; }

bool vtuDependencyManager::saving_dependencies() const { return saving_; }

void vtuDependencyManager::add_cad_path(std::uint32_t cad_id, utString path) {
  entries_.push_back({cad_id, std::move(path)});
}

void vtuDependencyManager::save_dependencies(IStorage* storage) {
  IStream* created = nullptr;
  if (FAILED(storage->CreateStream(kStreamName, kCreateMode, 0, 0, &created))) return;
  const StreamReference stream(created);

  // A failed write is not reported: saving has no result, and a stream cut short still loads
  // every record written before the cut.
  write("\n", *stream);
  write("VERSION", *stream);
  write("\n", *stream);
  write("1", *stream);
  write("\n", *stream);
  for (const Entry& entry : entries_) {
    utString path = entry.path;
    os_to_utf8(path);
    if (!has_text(path)) continue;
    char cad_id[200];
    std::snprintf(cad_id, sizeof cad_id, "%u", entry.cad_id);
    write("\n", *stream);
    write("FILE_REFERENCE", *stream);
    write("\n", *stream);
    write("CAD-", *stream);
    write(cad_id, *stream);
    write("\n", *stream);
    write(path.data(), *stream);
    write("\n", *stream);
  }
  write("\n", *stream);
  saving_ = false;
  entries_.clear();
}

void vtuDependencyManager::load_dependencies(IStorage* storage) {
  loading_ = true;
  IStream* opened = nullptr;
  // A document saved without dependencies has no stream.
  if (FAILED(storage->OpenStream(kStreamName, nullptr, kOpenMode, 0, &opened))) return;
  const StreamReference stream(opened);

  LARGE_INTEGER zero{};
  ULARGE_INTEGER end{};
  stream->Seek(zero, STREAM_SEEK_END, &end);
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  if (end.QuadPart > 0xFFFFFFFF) return;
  const auto size = static_cast<std::uint32_t>(end.QuadPart);
  auto buffer = std::make_unique_for_overwrite<char[]>(size);
  ULONG read = 0;
  if (FAILED(stream->Read(buffer.get(), size, &read)) || read < size) return;

  vtuDependencyReader reader(std::move(buffer), size);
  for (utString tag = reader.read_next_tag(); !tag.is_null(); tag = reader.read_next_tag()) {
    if (line_is(tag, "VERSION")) {
      // There is only version 1; a later format is not guessed at.
      if (!line_is(reader.read_next_line(), "1")) break;
    } else if (line_is(tag, "FILE_REFERENCE")) {
      // A record that cannot be understood is skipped; the search for the next tag passes over
      // what is left of it.
      std::uint32_t cad_id = 0;
      if (!parse_cad_id(reader.read_next_line(), cad_id)) continue;
      utString path = reader.read_next_line();
      utf8_to_os(path);
      if (!has_text(path)) continue;
      entries_.push_back({cad_id, std::move(path)});
    }
  }
}

bool vtuDependencyManager::loading_dependencies() const { return loading_; }

void vtuDependencyManager::cad_path(std::uint32_t cad_id, utString& path) const {
  const auto entry = std::ranges::find(entries_, cad_id, &Entry::cad_id);
  path = entry != entries_.end() ? entry->path : utString();
}

void vtuDependencyManager::end_load_dependencies() {
  loading_ = false;
  entries_.clear();
}

void vtuDependencyManager::abort() {
  loading_ = false;
  saving_ = false;
  entries_.clear();
}

void vtuDependencyManager::os_to_utf8(utString& text) {
  int error = 0;
  utString utf8 = apStringUTF8Encoding().out(vtuStringConverter::convert(text), error);
  text = error != 0 ? utString() : std::move(utf8);
}

void vtuDependencyManager::utf8_to_os(utString& text) {
  int error = 0;
  const apString decoded = apStringUTF8Encoding().in(text.data(), error);
  text = error != 0 ? utString() : vtuStringConverter::ut_str(decoded);
}

void vtuDependencyManager::write(const char* text, IStream& stream) {
  stream.Write(text, static_cast<ULONG>(std::strlen(text)), nullptr);
}
