// Compound files for the dependency tests, made and read through the public storage functions.
#include "dependencies/test_storage.h"

namespace vtutils::testing {

namespace {

constexpr DWORD kReadWrite = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

// The reference that a call handed out, which a failed call leaves null.
template <class T>
ComRef<T> adopt(HRESULT result, T* object) {
  return ComRef<T>(SUCCEEDED(result) ? object : nullptr);
}

}  // namespace

ComRef<IStorage> create_memory_storage() {
  ILockBytes* bytes = nullptr;
  HRESULT result = CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
  const ComRef<ILockBytes> owned_bytes = adopt(result, bytes);
  if (owned_bytes == nullptr) return nullptr;
  IStorage* storage = nullptr;
  result = StgCreateDocfileOnILockBytes(owned_bytes.get(), kReadWrite, 0, &storage);
  return adopt(result, storage);
}

ComRef<IStorage> create_file_storage(const std::filesystem::path& path) {
  IStorage* storage = nullptr;
  const HRESULT result = StgCreateDocfile(path.wstring().c_str(), kReadWrite, 0, &storage);
  return adopt(result, storage);
}

ComRef<IStorage> open_file_storage(const std::filesystem::path& path) {
  IStorage* storage = nullptr;
  const HRESULT result = StgOpenStorage(path.wstring().c_str(), nullptr,
                                        STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &storage);
  return adopt(result, storage);
}

std::optional<std::string> read_dependency_stream(IStorage& storage) {
  IStream* stream = nullptr;
  const HRESULT result = storage.OpenStream(kDependencyStream, nullptr,
                                            STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
  const ComRef<IStream> owned = adopt(result, stream);
  if (owned == nullptr) return std::nullopt;
  std::string content;
  char chunk[512];
  ULONG read = 0;
  while (SUCCEEDED(owned->Read(chunk, sizeof chunk, &read)) && read > 0) content.append(chunk, read);
  return content;
}

bool write_dependency_stream(IStorage& storage, std::string_view bytes) {
  IStream* stream = nullptr;
  const HRESULT result = storage.CreateStream(
      kDependencyStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
  const ComRef<IStream> owned = adopt(result, stream);
  if (owned == nullptr) return false;
  ULONG written = 0;
  const auto size = static_cast<ULONG>(bytes.size());
  return SUCCEEDED(owned->Write(bytes.data(), size, &written)) && written == size;
}

}  // namespace vtutils::testing
