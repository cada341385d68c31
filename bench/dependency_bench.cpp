// Saving and loading 100,000 dependency entries through a real compound file, and the three
// parts of the work measured apart: cutting the stream into lines (the reader), converting the
// paths between the ANSI code page and UTF-8, and moving the stream's bytes through the storage.
// Times are wall-clock times: a commit waits for the disk. bench/ratios.py turns the figures into
// entries per second, MB/s and shares.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "vtplatform/win32/com_ptr.h"
#include "vtutils/dependency_manager.h"
#include "vtutils/dependency_reader.h"
#include "vtutils/platform/base.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/storage.h"
#include "vtutils/platform/unicode_strings.h"
#include "vtutils/platform/win32_types.h"
#include "vtutils/string_converter.h"

namespace {

using vtplatform::ComPtr;

constexpr int kEntries = 100000;
constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;

// Paths as a measurement document holds them, with a few non-ASCII letters (UTF-8 locale).
const std::vector<std::string>& paths() {
  static const std::vector<std::string> all = [] {
    std::vector<std::string> made;
    for (int i = 0; i < kEntries; ++i) {
      made.push_back("D:\\Projekte\\Baugruppe " + std::to_string(i / 100) + "\\Gehäuse_" +
                     std::to_string(i) + ".stp");
    }
    return made;
  }();
  return all;
}

std::wstring document_path(const char* name) {
  const char* folder = getenv("TMPDIR");
  const std::string path = std::string(folder != nullptr ? folder : "/tmp") + "/" + name +
                           std::to_string(getpid()) + ".vtd";
  return CStringW(path.c_str()).GetString();
}

void save(const std::wstring& path) {
  ComPtr<IStorage> root;
  StgCreateDocfile(path.c_str(), kCreate, 0, root.put());
  vtuDependencyManager& manager = vtuDependencyManager::singleton();
  manager.start_save_dependencies();
  for (int i = 0; i < kEntries; ++i) {
    manager.add_cad_path(static_cast<std::uint32_t>(i), utString(paths()[static_cast<std::size_t>(i)].c_str()));
  }
  manager.save_dependencies(root.get());
  root->Commit(STGC_DEFAULT);
}

std::string stream_bytes(const std::wstring& path) {
  ComPtr<IStorage> root;
  StgOpenStorage(path.c_str(), nullptr, kRead, nullptr, 0, root.put());
  ComPtr<IStream> stream;
  root->OpenStream(L"FOPDependencies", nullptr, kRead, 0, stream.put());
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::string bytes(stat.cbSize.QuadPart, '\0');
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
  return bytes;
}

void set_counters(benchmark::State& state, std::size_t stream_size) {
  state.SetItemsProcessed(state.iterations() * kEntries);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(stream_size));
}

void BM_Save(benchmark::State& state) {
  const std::wstring path = document_path("vtutils-deps-save-");
  for (auto _ : state) save(path);
  set_counters(state, stream_bytes(path).size());
  unlink(CString(path.c_str()).GetString());
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Load(benchmark::State& state) {
  const std::wstring path = document_path("vtutils-deps-load-");
  save(path);
  vtuDependencyManager& manager = vtuDependencyManager::singleton();
  for (auto _ : state) {
    ComPtr<IStorage> root;
    StgOpenStorage(path.c_str(), nullptr, kRead, nullptr, 0, root.put());
    manager.load_dependencies(root.get());
    utString last;
    manager.cad_path(kEntries - 1, last);
    benchmark::DoNotOptimize(last.data());
    manager.end_load_dependencies();
  }
  set_counters(state, stream_bytes(path).size());
  unlink(CString(path.c_str()).GetString());
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reader alone: every tag and line of the stream.
void BM_ReaderPart(benchmark::State& state) {
  const std::wstring path = document_path("vtutils-deps-reader-");
  save(path);
  const std::string bytes = stream_bytes(path);
  for (auto _ : state) {
    auto buffer = std::make_unique<char[]>(bytes.size());
    std::memcpy(buffer.get(), bytes.data(), bytes.size());
    vtuDependencyReader reader(std::move(buffer), static_cast<std::uint32_t>(bytes.size()));
    for (utString tag = reader.read_next_tag(); !tag.is_null(); tag = reader.read_next_tag()) {
      benchmark::DoNotOptimize(reader.read_next_line().data());
      benchmark::DoNotOptimize(reader.read_next_line().data());
    }
  }
  set_counters(state, bytes.size());
  unlink(CString(path.c_str()).GetString());
}
BENCHMARK(BM_ReaderPart)->Unit(benchmark::kMillisecond)->UseRealTime();

// The conversions alone: every path to UTF-8 and back, as a save and a load convert them.
void BM_ConversionPart(benchmark::State& state) {
  const apStringUTF8Encoding utf8;
  for (auto _ : state) {
    for (const std::string& path : paths()) {
      int error = 0;
      const utString encoded = utf8.out(vtuStringConverter::convert(utString(path.c_str())), error);
      const utString decoded = vtuStringConverter::ut_str(utf8.in(encoded.data(), error));
      benchmark::DoNotOptimize(decoded.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_ConversionPart)->Unit(benchmark::kMillisecond)->UseRealTime();

// The storage alone: the finished stream's bytes written into a new document and read back.
void BM_StoragePart(benchmark::State& state) {
  const std::wstring path = document_path("vtutils-deps-storage-");
  save(path);
  const std::string bytes = stream_bytes(path);
  for (auto _ : state) {
    {
      ComPtr<IStorage> root;
      StgCreateDocfile(path.c_str(), kCreate, 0, root.put());
      ComPtr<IStream> stream;
      root->CreateStream(L"FOPDependencies", kCreate, 0, 0, stream.put());
      stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
      stream = ComPtr<IStream>();
      root->Commit(STGC_DEFAULT);
    }
    benchmark::DoNotOptimize(stream_bytes(path).size());
  }
  set_counters(state, bytes.size());
  unlink(CString(path.c_str()).GetString());
}
BENCHMARK(BM_StoragePart)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
