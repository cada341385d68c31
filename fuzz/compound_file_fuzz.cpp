// Fuzzes reading compound files: any bytes opened as one through the storage API, with every
// element enumerated and every stream read to its end, are refused or read without fault.
#include <cstddef>
#include <cstdint>

#include "vtutils/platform/storage.h"
#include "vtutils/platform/win32_types.h"

namespace {

constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;
// Nested storages deeper than this are left alone, to bound the recursion.
constexpr int kMaxDepth = 32;

void read_to_end(IStream* stream) {
  std::uint8_t buffer[4096];
  ULONG read = 0;
  while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read != 0) {
  }
}

void walk(IStorage* storage, int depth) {
  IEnumSTATSTG* elements = nullptr;
  if (FAILED(storage->EnumElements(0, nullptr, 0, &elements))) return;
  STATSTG stat{};
  ULONG fetched = 0;
  while (elements->Next(1, &stat, &fetched) == S_OK && fetched == 1) {
    if (stat.type == STGTY_STREAM) {
      IStream* stream = nullptr;
      if (SUCCEEDED(storage->OpenStream(stat.pwcsName, nullptr, kRead, 0, &stream))) {
        read_to_end(stream);
        stream->Release();
      }
    } else if (stat.type == STGTY_STORAGE && depth < kMaxDepth) {
      IStorage* inner = nullptr;
      if (SUCCEEDED(storage->OpenStorage(stat.pwcsName, nullptr, kRead, nullptr, 0, &inner))) {
        walk(inner, depth + 1);
        inner->Release();
      }
    }
    CoTaskMemFree(stat.pwcsName);
  }
  elements->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ILockBytes* bytes = nullptr;
  if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes))) __builtin_trap();
  ULARGE_INTEGER zero{};
  ULONG written = 0;
  if (FAILED(bytes->WriteAt(zero, data, static_cast<ULONG>(size), &written))) __builtin_trap();
  IStorage* storage = nullptr;
  if (SUCCEEDED(StgOpenStorageOnILockBytes(bytes, nullptr, kRead, nullptr, 0, &storage))) {
    walk(storage, 0);
    storage->Release();
  }
  bytes->Release();
  return 0;
}
