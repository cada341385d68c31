// The structured-storage objects on real compound files and on memory: creating, opening,
// replacing and moving elements, commits that keep everything else byte for byte, transactions,
// and the errors Windows gives for misuse.
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "vtplatform/win32/code_page.h"
#include "vtplatform/win32/storage.h"
#include "vtplatform/win32/com_ptr.h"

namespace {

using vtplatform::ComPtr;
using vtutils::testing::TempDir;

constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kReadWrite = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

// A file name's wide form: its bytes decoded in the ANSI code page.
std::wstring wide(const std::string& text) {
  std::wstring result(text.size() + 1, L'\0');
  result.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(), static_cast<int>(result.size())) - 1));
  return result;
}

std::string pattern(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed) >> 3);
  return bytes;
}

void write_stream(IStorage* storage, const wchar_t* name, const std::string& bytes) {
  ComPtr<IStream> stream;
  ASSERT_EQ(storage->CreateStream(name, kCreate, 0, 0, stream.put()), S_OK);
  ULONG written = 0;
  ASSERT_EQ(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), S_OK);
  ASSERT_EQ(written, bytes.size());
}

std::string read_stream(IStorage* storage, const wchar_t* name) {
  ComPtr<IStream> stream;
  if (storage->OpenStream(name, nullptr, kRead, 0, stream.put()) != S_OK) return "<missing>";
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::string bytes(stat.cbSize.QuadPart, '\0');
  ULONG read = 0;
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
  bytes.resize(read);
  return bytes;
}

std::vector<std::wstring> element_names(IStorage* storage) {
  std::vector<std::wstring> names;
  ComPtr<IEnumSTATSTG> elements;
  if (storage->EnumElements(0, nullptr, 0, elements.put()) != S_OK) return names;
  STATSTG stat;
  while (elements->Next(1, &stat, nullptr) == S_OK) {
    names.emplace_back(stat.pwcsName);
    CoTaskMemFree(stat.pwcsName);
  }
  return names;
}

ComPtr<IStorage> create_file(const std::string& path, DWORD mode = kCreate) {
  ComPtr<IStorage> storage;
  EXPECT_EQ(StgCreateDocfile(wide(path).c_str(), mode, 0, storage.put()), S_OK);
  return storage;
}

ComPtr<IStorage> open_file(const std::string& path, DWORD mode = kRead) {
  ComPtr<IStorage> storage;
  EXPECT_EQ(StgOpenStorage(wide(path).c_str(), nullptr, mode, nullptr, 0, storage.put()), S_OK);
  return storage;
}

TEST(StorageTest, NestedElementsSurviveAReopen) {
  TempDir dir;
  const std::string path = dir.file("Prüfplan.vtd");
  const std::string big = pattern(300000, 7);
  {
    ComPtr<IStorage> root = create_file(path);
    write_stream(root.get(), L"small", "abc");
    write_stream(root.get(), L"big", big);
    ComPtr<IStorage> inner;
    ASSERT_EQ(root->CreateStorage(L"Bauteil Ø 12", kCreate, 0, 0, inner.put()), S_OK);
    const CLSID clsid = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
    ASSERT_EQ(inner->SetClass(clsid), S_OK);
    ASSERT_EQ(inner->SetStateBits(0x5, 0xF), S_OK);
    write_stream(inner.get(), L"empty", "");
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  }
  EXPECT_EQ(StgIsStorageFile(wide(path).c_str()), S_OK);
  ComPtr<IStorage> root = open_file(path);
  EXPECT_EQ(element_names(root.get()), (std::vector<std::wstring>{L"big", L"small", L"Bauteil Ø 12"}));
  EXPECT_EQ(read_stream(root.get(), L"small"), "abc");
  EXPECT_EQ(read_stream(root.get(), L"BIG"), big);  // names compare without case
  ComPtr<IStorage> inner;
  ASSERT_EQ(root->OpenStorage(L"Bauteil Ø 12", nullptr, kRead, nullptr, 0, inner.put()), S_OK);
  STATSTG stat{};
  ASSERT_EQ(inner->Stat(&stat, STATFLAG_DEFAULT), S_OK);
  EXPECT_EQ(std::wstring(stat.pwcsName), L"Bauteil Ø 12");
  CoTaskMemFree(stat.pwcsName);
  EXPECT_EQ(stat.clsid.Data1, 0x12345678u);
  EXPECT_EQ(stat.grfStateBits, 0x5u);
  EXPECT_EQ(read_stream(inner.get(), L"empty"), "");
}

TEST(StorageTest, ReplacingOneStreamKeepsTheOthers) {
  TempDir dir;
  const std::string path = dir.file("doc.vtd");
  const std::string large = pattern(9 << 20, 3);  // past the memory limit of private copies
  {
    ComPtr<IStorage> root = create_file(path);
    write_stream(root.get(), L"keep", large);
    write_stream(root.get(), L"FOPDependencies", "old");
  }
  const auto rights_before = std::filesystem::status(path).permissions();
  {
    ComPtr<IStorage> root = open_file(path, kReadWrite);
    write_stream(root.get(), L"FOPDependencies", "new content");
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  }
  ComPtr<IStorage> root = open_file(path);
  EXPECT_EQ(read_stream(root.get(), L"FOPDependencies"), "new content");
  EXPECT_TRUE(read_stream(root.get(), L"keep") == large);
  EXPECT_EQ(std::filesystem::status(path).permissions(), rights_before);
  // The commit wrote beside the document and left nothing behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(StorageTest, TransactedChangesWaitForCommit) {
  TempDir dir;
  const std::string path = dir.file("doc.vtd");
  { create_file(path); }
  // A transacted writer that shares the file, and a reader beside it.
  constexpr DWORD kShared = STGM_TRANSACTED | STGM_SHARE_DENY_NONE;
  ComPtr<IStorage> root = open_file(path, STGM_READWRITE | kShared);
  ComPtr<IStream> stream;
  ASSERT_EQ(root->CreateStream(L"draft", kCreate, 0, 0, stream.put()), S_OK);
  EXPECT_EQ(element_names(open_file(path, STGM_READ | kShared).get()), std::vector<std::wstring>{});
  ASSERT_EQ(root->Revert(), S_OK);
  EXPECT_EQ(stream->Write("x", 1, nullptr), STG_E_REVERTED);
  EXPECT_EQ(element_names(root.get()), std::vector<std::wstring>{});
  write_stream(root.get(), L"final", "1");
  root = ComPtr<IStorage>();  // released without a commit: nothing is kept
  EXPECT_EQ(element_names(open_file(path).get()), std::vector<std::wstring>{});
}

TEST(StorageTest, DirectModeKeepsChangesAtRelease) {
  TempDir dir;
  const std::string path = dir.file("doc.vtd");
  ComPtr<IStream> stream;
  {
    ComPtr<IStorage> root = create_file(path);
    ASSERT_EQ(root->CreateStream(L"s", kCreate, 0, 0, stream.put()), S_OK);
    ASSERT_EQ(stream->Write("data", 4, nullptr), S_OK);
  }
  // The root is gone; the stream still open on it is reverted.
  EXPECT_EQ(stream->Write("more", 4, nullptr), STG_E_REVERTED);
  EXPECT_EQ(read_stream(open_file(path).get(), L"s"), "data");
}

TEST(StorageTest, SharingModesHoldBetweenOpensOfOneFile) {
  TempDir dir;
  const std::string path = dir.file("doc.vtd");
  { create_file(path); }
  constexpr DWORD kDenyWrite = STGM_SHARE_DENY_WRITE;
  constexpr DWORD kShareAll = STGM_SHARE_DENY_NONE | STGM_TRANSACTED;
  const struct {
    DWORD first;
    DWORD second;
    HRESULT expected;
  } cases[] = {
      {kReadWrite, STGM_READ | kDenyWrite, STG_E_SHAREVIOLATION},
      {STGM_READ | kDenyWrite, kReadWrite, STG_E_SHAREVIOLATION},
      {STGM_READ | kDenyWrite, STGM_READ | kDenyWrite, S_OK},  // readers share
      {STGM_READ | kDenyWrite, STGM_READWRITE | kShareAll, STG_E_SHAREVIOLATION},
      {STGM_READWRITE | kDenyWrite, STGM_READ | kShareAll, S_OK},
      {STGM_READWRITE | kShareAll, STGM_READWRITE | kShareAll, S_OK},
  };
  for (const auto& [first, second, expected] : cases) {
    ComPtr<IStorage> held;
    ASSERT_EQ(StgOpenStorage(wide(path).c_str(), nullptr, first, nullptr, 0, held.put()), S_OK);
    ComPtr<IStorage> other;
    EXPECT_EQ(StgOpenStorage(wide(path).c_str(), nullptr, second, nullptr, 0, other.put()),
              expected)
        << std::hex << first << " then " << second;
  }

  // A commit keeps the share on the new file, replacing the file is refused while it is held,
  // and a released root lets the file go even while a stream of it is still referenced.
  ComPtr<IStream> stream;
  {
    ComPtr<IStorage> root = open_file(path, kReadWrite);
    write_stream(root.get(), L"s", "data");
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    ComPtr<IStorage> refused;
    EXPECT_EQ(StgOpenStorage(wide(path).c_str(), nullptr, kRead, nullptr, 0, refused.put()),
              STG_E_SHAREVIOLATION);
    EXPECT_EQ(StgCreateDocfile(wide(path).c_str(), kCreate, 0, refused.put()),
              STG_E_SHAREVIOLATION);
    ASSERT_EQ(root->OpenStream(L"s", nullptr, kRead, 0, stream.put()), S_OK);
  }
  EXPECT_EQ(read_stream(open_file(path).get(), L"s"), "data");
}

TEST(StorageTest, StreamsSeekAndSizeIndependently) {
  ComPtr<ILockBytes> bytes;
  ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()), S_OK);
  ComPtr<IStorage> root;
  ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes.get(), kCreate, 0, root.put()), S_OK);
  ComPtr<IStream> a;
  ComPtr<IStream> b;
  ASSERT_EQ(root->CreateStream(L"a", kCreate, 0, 0, a.put()), S_OK);
  ASSERT_EQ(root->CreateStream(L"b", kCreate, 0, 0, b.put()), S_OK);
  ASSERT_EQ(a->Write("0123456789", 10, nullptr), S_OK);
  ASSERT_EQ(b->Write("xy", 2, nullptr), S_OK);
  LARGE_INTEGER move{};
  move.QuadPart = -4;
  ULARGE_INTEGER position{};
  ASSERT_EQ(a->Seek(move, STREAM_SEEK_END, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 6u);
  char buffer[8] = {};
  ULONG read = 0;
  ASSERT_EQ(a->Read(buffer, sizeof buffer, &read), S_OK);
  EXPECT_EQ(std::string(buffer, read), "6789");
  move.QuadPart = -20;
  EXPECT_EQ(a->Seek(move, STREAM_SEEK_CUR, nullptr), STG_E_INVALIDFUNCTION);
  ULARGE_INTEGER size{};
  size.QuadPart = 3;
  ASSERT_EQ(a->SetSize(size), S_OK);
  a = ComPtr<IStream>();
  b = ComPtr<IStream>();
  ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  root = ComPtr<IStorage>();

  ComPtr<IStorage> reopened;
  ASSERT_EQ(StgOpenStorageOnILockBytes(bytes.get(), nullptr, kRead, nullptr, 0, reopened.put()), S_OK);
  EXPECT_EQ(read_stream(reopened.get(), L"a"), "012");
  EXPECT_EQ(read_stream(reopened.get(), L"b"), "xy");
}

TEST(StorageTest, VersionFourFiles) {
  TempDir dir;
  const std::string path = dir.file("v4.vtd");
  STGOPTIONS options{1, 0, 4096, nullptr};
  {
    ComPtr<IStorage> root;
    ASSERT_EQ(StgCreateStorageEx(wide(path).c_str(), kCreate, STGFMT_DOCFILE, 0, &options, nullptr,
                                 IID_IStorage, reinterpret_cast<void**>(root.put())),
              S_OK);
    write_stream(root.get(), L"s", pattern(5000, 1));
  }
  const std::string file = vtutils::testing::read_file(path);
  ASSERT_GT(file.size(), 4096u);
  EXPECT_EQ(file[0x1A], 4);  // major version
  EXPECT_EQ(read_stream(open_file(path).get(), L"s"), pattern(5000, 1));
  options.ulSectorSize = 1024;
  ComPtr<IStorage> refused;
  EXPECT_EQ(StgCreateStorageEx(wide(path).c_str(), kCreate, STGFMT_DOCFILE, 0, &options, nullptr,
                               IID_IStorage, reinterpret_cast<void**>(refused.put())),
            STG_E_INVALIDPARAMETER);
}

TEST(StorageTest, CopyAndMoveBetweenDocuments) {
  TempDir dir;
  ComPtr<IStorage> source = create_file(dir.file("a.vtd"));
  ComPtr<IStorage> target = create_file(dir.file("b.vtd"));
  write_stream(source.get(), L"one", "1");
  {
    ComPtr<IStorage> inner;
    ASSERT_EQ(source->CreateStorage(L"inner", kCreate, 0, 0, inner.put()), S_OK);
    write_stream(inner.get(), L"two", "2");
  }
  ASSERT_EQ(source->MoveElementTo(L"inner", target.get(), L"moved", STGMOVE_MOVE), S_OK);
  EXPECT_EQ(element_names(source.get()), std::vector<std::wstring>{L"one"});
  ASSERT_EQ(source->CopyTo(0, nullptr, nullptr, target.get()), S_OK);
  EXPECT_EQ(element_names(target.get()), (std::vector<std::wstring>{L"one", L"moved"}));
  ComPtr<IStorage> moved;
  ASSERT_EQ(target->OpenStorage(L"moved", nullptr, kRead, nullptr, 0, moved.put()), S_OK);
  EXPECT_EQ(read_stream(moved.get(), L"two"), "2");
}

TEST(StorageTest, MisuseGetsWindowsErrors) {
  TempDir dir;
  const std::string path = dir.file("doc.vtd");
  ComPtr<IStorage> none;
  EXPECT_EQ(StgOpenStorage(wide(dir.file("missing")).c_str(), nullptr, kRead, nullptr, 0, none.put()),
            STG_E_FILENOTFOUND);
  EXPECT_EQ(StgOpenStorage(wide(dir.file("no/such")).c_str(), nullptr, kRead, nullptr, 0, none.put()),
            STG_E_PATHNOTFOUND);
  vtutils::testing::write_file(dir.file("text.txt"), "not a compound file, long enough to hold a header");
  EXPECT_EQ(StgOpenStorage(wide(dir.file("text.txt")).c_str(), nullptr, kRead, nullptr, 0, none.put()),
            STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(StgIsStorageFile(wide(dir.file("text.txt")).c_str()), S_FALSE);

  ComPtr<IStorage> root = create_file(path);
  EXPECT_EQ(StgCreateDocfile(wide(path).c_str(), STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, none.put()),
            STG_E_FILEALREADYEXISTS);
  ComPtr<IStream> stream;
  EXPECT_EQ(root->CreateStream(L"abcdefghijklmnopqrstuvwxyz123456", kCreate, 0, 0, stream.put()),
            STG_E_INVALIDNAME);
  EXPECT_EQ(root->CreateStream(L"a/b", kCreate, 0, 0, stream.put()), STG_E_INVALIDNAME);
  EXPECT_EQ(root->CreateStream(L"shared", STGM_READWRITE | STGM_SHARE_DENY_NONE, 0, 0, stream.put()),
            STG_E_INVALIDFLAG);
  ASSERT_EQ(root->CreateStream(L"s", kCreate, 0, 0, stream.put()), S_OK);
  ComPtr<IStream> again;
  EXPECT_EQ(root->OpenStream(L"s", nullptr, kRead, 0, again.put()), STG_E_ACCESSDENIED);
  EXPECT_EQ(root->DestroyElement(L"s"), STG_E_ACCESSDENIED);
  EXPECT_EQ(root->CreateStream(L"s", kReadWrite, 0, 0, again.put()), STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(root->OpenStream(L"t", nullptr, kRead, 0, again.put()), STG_E_FILENOTFOUND);
  stream = ComPtr<IStream>();
  ASSERT_EQ(root->OpenStream(L"s", nullptr, kRead, 0, again.put()), S_OK);
  EXPECT_EQ(again->Write("x", 1, nullptr), STG_E_ACCESSDENIED);
  again = ComPtr<IStream>();
  ASSERT_EQ(root->RenameElement(L"s", L"renamed"), S_OK);
  ASSERT_EQ(root->DestroyElement(L"renamed"), S_OK);
  EXPECT_EQ(element_names(root.get()), std::vector<std::wstring>{});
  root = ComPtr<IStorage>();

  ComPtr<IStorage> read_only = open_file(path);
  EXPECT_EQ(read_only->CreateStream(L"x", kCreate, 0, 0, stream.put()), STG_E_ACCESSDENIED);
}

TEST(StorageTest, CopiesNeverRunIntoThemselvesAndMergeStorages) {
  ComPtr<ILockBytes> bytes;
  ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()), S_OK);
  ComPtr<IStorage> root;
  ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes.get(), kCreate, 0, root.put()), S_OK);
  ComPtr<IStorage> outer;
  ASSERT_EQ(root->CreateStorage(L"outer", kCreate, 0, 0, outer.put()), S_OK);
  {
    ComPtr<IStorage> inner;
    ASSERT_EQ(outer->CreateStorage(L"inner", kCreate, 0, 0, inner.put()), S_OK);
    write_stream(inner.get(), L"keep", "kept");
  }
  EXPECT_EQ(root->CopyTo(0, nullptr, nullptr, root.get()), STG_E_ACCESSDENIED);
  EXPECT_EQ(root->CopyTo(0, nullptr, nullptr, outer.get()), STG_E_ACCESSDENIED);
  ComPtr<IStorage> inner;
  ASSERT_EQ(outer->OpenStorage(L"inner", nullptr, kReadWrite, nullptr, 0, inner.put()), S_OK);
  outer = ComPtr<IStorage>();
  EXPECT_EQ(root->MoveElementTo(L"outer", inner.get(), L"x", STGMOVE_MOVE), STG_E_ACCESSDENIED);
  EXPECT_EQ(root->MoveElementTo(L"outer", root.get(), L"OUTER", STGMOVE_MOVE), STG_E_ACCESSDENIED);
  inner = ComPtr<IStorage>();

  // A storage that the destination has already is merged into: "keep" stays beside "new".
  ComPtr<IStorage> other;
  ComPtr<ILockBytes> other_bytes;
  ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, other_bytes.put()), S_OK);
  ASSERT_EQ(StgCreateDocfileOnILockBytes(other_bytes.get(), kCreate, 0, other.put()), S_OK);
  {
    ComPtr<IStorage> source_outer;
    ASSERT_EQ(other->CreateStorage(L"outer", kCreate, 0, 0, source_outer.put()), S_OK);
    ComPtr<IStorage> source_inner;
    ASSERT_EQ(source_outer->CreateStorage(L"inner", kCreate, 0, 0, source_inner.put()), S_OK);
    write_stream(source_inner.get(), L"new", "added");
  }
  ASSERT_EQ(other->CopyTo(0, nullptr, nullptr, root.get()), S_OK);
  ASSERT_EQ(root->OpenStorage(L"outer", nullptr, kRead, nullptr, 0, outer.put()), S_OK);
  ASSERT_EQ(outer->OpenStorage(L"inner", nullptr, kRead, nullptr, 0, inner.put()), S_OK);
  EXPECT_EQ(element_names(inner.get()), (std::vector<std::wstring>{L"new", L"keep"}));
}

// Memory bytes whose SetSize fails on demand, as a full medium makes it fail.
class FailingBytes final : public ILockBytes {
 public:
  FailingBytes() { CreateILockBytesOnHGlobal(nullptr, TRUE, inner_.put()); }
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 1; }  // lives on the test's stack
  ULONG Release() override { return 1; }
  HRESULT ReadAt(ULARGE_INTEGER offset, void* buffer, ULONG count, ULONG* read) override {
    return inner_->ReadAt(offset, buffer, count, read);
  }
  HRESULT WriteAt(ULARGE_INTEGER offset, const void* buffer, ULONG count, ULONG* written) override {
    return inner_->WriteAt(offset, buffer, count, written);
  }
  HRESULT Flush() override { return inner_->Flush(); }
  HRESULT SetSize(ULARGE_INTEGER size) override {
    return fail ? STG_E_MEDIUMFULL : inner_->SetSize(size);
  }
  HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  HRESULT Stat(STATSTG* stat, DWORD flag) override { return inner_->Stat(stat, flag); }

  bool fail = false;

 private:
  ComPtr<ILockBytes> inner_;
};

TEST(StorageTest, AFailedCommitOverCallerBytesLosesNothing) {
  FailingBytes bytes;
  ComPtr<IStorage> root;
  ASSERT_EQ(StgCreateDocfileOnILockBytes(&bytes, kCreate | STGM_TRANSACTED, 0, root.put()), S_OK);
  write_stream(root.get(), L"b", pattern(8000, 1));
  write_stream(root.get(), L"c", pattern(8000, 2));
  ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  ASSERT_EQ(root->DestroyElement(L"b"), S_OK);
  bytes.fail = true;
  EXPECT_EQ(root->Commit(STGC_DEFAULT), STG_E_MEDIUMFULL);
  EXPECT_EQ(read_stream(root.get(), L"c"), pattern(8000, 2));
  bytes.fail = false;
  ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  root = ComPtr<IStorage>();
  ASSERT_EQ(StgOpenStorageOnILockBytes(&bytes, nullptr, kRead, nullptr, 0, root.put()), S_OK);
  EXPECT_EQ(element_names(root.get()), std::vector<std::wstring>{L"c"});
  EXPECT_EQ(read_stream(root.get(), L"c"), pattern(8000, 2));
}

}  // namespace
