// Fuzzes the dependency stream: any bytes are cut into lines and tags by vtuDependencyReader, and
// loaded by vtuDependencyManager from a compound file in memory, without fault. Lines never hold
// a line feed or a NUL, the reader ends at the end of its bytes, and no entry has an empty path.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "vtutils/dependency_manager.h"
#include "vtutils/dependency_reader.h"
#include "vtutils/platform/win32_types.h"

namespace {

struct ReleaseInterface {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using ComRef = std::unique_ptr<T, ReleaseInterface>;

void check_line(const utString& line) {
  if (line.is_null()) return;
  if (std::strlen(line.data()) != line.length()) __builtin_trap();
  if (std::memchr(line.data(), '\n', line.length()) != nullptr) __builtin_trap();
}

// Walks the bytes as the loader does: a tag, then the two value lines of a reference record.
void read_records(const std::uint8_t* data, std::size_t size) {
  auto buffer = std::make_unique<char[]>(size);
  if (size != 0) std::memcpy(buffer.get(), data, size);
  vtuDependencyReader reader(std::move(buffer), static_cast<std::uint32_t>(size));
  for (utString tag = reader.read_next_tag(); !tag.is_null(); tag = reader.read_next_tag()) {
    check_line(tag);
    check_line(reader.read_next_line());
    check_line(reader.read_next_line());
  }
  // A tag search that finds nothing has used up every byte.
  if (!reader.read_next_line().is_null() || !reader.read_next_tag().is_null()) __builtin_trap();
}

// A compound file in memory whose dependency stream holds the bytes. The file is made once and
// its stream replaced for every input: making and committing a compound file costs far more than
// the load under test, and the compound file target covers that code.
IStorage* document_with_stream(const std::uint8_t* data, std::size_t size) {
  static const ComRef<IStorage> storage = [] {
    ILockBytes* bytes = nullptr;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes))) __builtin_trap();
    const ComRef<ILockBytes> owned_bytes(bytes);
    IStorage* created = nullptr;
    if (FAILED(StgCreateDocfileOnILockBytes(
            bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &created))) {
      __builtin_trap();
    }
    return ComRef<IStorage>(created);
  }();
  IStream* stream = nullptr;
  if (FAILED(storage->CreateStream(L"FOPDependencies",
                                   STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                   &stream))) {
    __builtin_trap();
  }
  const ComRef<IStream> owned_stream(stream);
  ULONG written = 0;
  const auto count = static_cast<ULONG>(size);
  if (FAILED(stream->Write(data, count, &written)) || written != count) __builtin_trap();
  return storage.get();
}

void load_entries(const std::uint8_t* data, std::size_t size) {
  IStorage* storage = document_with_stream(data, size);
  vtuDependencyManager& manager = vtuDependencyManager::singleton();
  manager.load_dependencies(storage);
  if (!manager.loading_dependencies()) __builtin_trap();
  for (const std::uint32_t cad_id : {0u, 1u, 3u, 17u, 4294967295u}) {
    utString path;
    manager.cad_path(cad_id, path);
    if (!path.is_null() && path.length() == 0) __builtin_trap();
  }
  manager.end_load_dependencies();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  read_records(data, size);
  load_entries(data, size);
  return 0;
}
