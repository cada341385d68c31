// storage_tool: writes and lists compound files through vtplatform's structured storage, for the
// interoperability tests that hold our files against other readers and writers.
//
//   storage_tool write PLAN OUT [--v4]   writes the document that PLAN describes
//   storage_tool dump FILE               prints every element of FILE in canonical order
//
// A plan is UTF-8 text, one element a line, parents before their children, fields split by tabs:
//   storage <TAB> PATH
//   stream <TAB> SIZE <TAB> SEED <TAB> PATH
// PATH joins element names with '/'. A stream holds SIZE bytes made from SEED (shared/content.h).
//
// A listing has one line per element below the root, sorted by the UTF-8 bytes of the path:
//   storage <TAB> - <TAB> - <TAB> PATH
//   stream <TAB> SIZE <TAB> SHA256 <TAB> PATH
// The dump opens every element by the name that enumeration gave; one that cannot be opened is
// listed as "unopenable <TAB> HRESULT <TAB> - <TAB> PATH" and the listing goes on. It reads each
// stream twice, from its middle to the end and from the start after seeking back, and checks that
// the reads agree.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "shared/content.h"
#include "vtplatform/win32/code_page.h"
#include "vtplatform/win32/com_ptr.h"
#include "vtplatform/win32/storage.h"

namespace {

using vtplatform::ComPtr;

constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;
// Writes go out in pieces of a prime size so that they rarely line up with a sector.
constexpr std::size_t kWriteChunk = 65521;
// Enumeration asks for a few elements at a time, which exercises Next with a count above one.
constexpr ULONG kEnumBatch = 7;

std::string hresult_text(HRESULT result) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
  return code;
}

[[noreturn]] void fail(const std::string& what, HRESULT result) {
  throw std::runtime_error(what + " failed with " + hresult_text(result));
}

void check(HRESULT result, const std::string& what) {
  if (result != S_OK) fail(what, result);
}

std::wstring wide(const std::string& utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                         static_cast<int>(utf8.size()), nullptr, 0);
  if (length == 0 && !utf8.empty()) throw std::runtime_error("not UTF-8: " + utf8);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                      text.data(), length);
  return text;
}

std::string utf8(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), length, nullptr, nullptr);
  bytes.resize(bytes.size() - 1);  // the terminator
  return bytes;
}

std::vector<std::string> split(std::string_view line, char separator) {
  std::vector<std::string> fields;
  for (std::size_t start = 0;;) {
    const std::size_t end = line.find(separator, start);
    fields.emplace_back(line.substr(start, end - start));
    if (end == std::string_view::npos) return fields;
    start = end + 1;
  }
}

// The parent path and the element name of a '/'-joined path.
std::pair<std::string, std::string> split_parent(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {"", path};
  return {path.substr(0, slash), path.substr(slash + 1)};
}

void write_stream(IStorage* parent, const std::string& name, std::uint64_t size,
                  std::uint32_t seed) {
  ComPtr<IStream> stream;
  check(parent->CreateStream(wide(name).c_str(), kCreate, 0, 0, stream.put()),
        "CreateStream " + name);
  std::vector<unsigned char> chunk(kWriteChunk);
  for (std::uint64_t offset = 0; offset < size;) {
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(size - offset, chunk.size()));
    content_fill(seed, offset, chunk.data(), count);
    ULONG written = 0;
    check(stream->Write(chunk.data(), static_cast<ULONG>(count), &written), "Write " + name);
    if (written != count) throw std::runtime_error("short write to " + name);
    offset += count;
  }
}

int write_document(const std::string& plan_path, const std::string& out_path, bool version4) {
  std::ifstream plan(plan_path, std::ios::binary);
  if (!plan) throw std::runtime_error("cannot read " + plan_path);

  ComPtr<IStorage> root;
  if (version4) {
    STGOPTIONS options{1, 0, 4096, nullptr};
    check(StgCreateStorageEx(wide(out_path).c_str(), kCreate, STGFMT_DOCFILE, 0, &options,
                             nullptr, IID_IStorage, reinterpret_cast<void**>(root.put())),
          "StgCreateStorageEx");
  } else {
    check(StgCreateDocfile(wide(out_path).c_str(), kCreate, 0, root.put()), "StgCreateDocfile");
  }

  // Storages stay open while the plan may still put elements into them.
  std::map<std::string, ComPtr<IStorage>> storages{{"", root}};
  std::string line;
  while (std::getline(plan, line)) {
    if (line.empty()) continue;
    const std::vector<std::string> fields = split(line, '\t');
    const std::string& path = fields.back();
    const auto [parent_path, name] = split_parent(path);
    const auto parent = storages.find(parent_path);
    if (parent == storages.end()) throw std::runtime_error("no parent storage for " + path);
    if (fields[0] == "storage" && fields.size() == 2) {
      ComPtr<IStorage> storage;
      check(parent->second->CreateStorage(wide(name).c_str(), kCreate, 0, 0, storage.put()),
            "CreateStorage " + path);
      storages.emplace(path, storage);
    } else if (fields[0] == "stream" && fields.size() == 4) {
      write_stream(parent->second.get(), name, std::stoull(fields[1]),
                   static_cast<std::uint32_t>(std::stoul(fields[2])));
    } else {
      throw std::runtime_error("bad plan line: " + line);
    }
  }
  storages.clear();
  check(root->Commit(STGC_DEFAULT), "Commit");
  return 0;
}

// One line of a listing: the path and what goes before it.
struct ListedElement {
  std::string path;
  std::string fields;
};

std::string sha256_of(const std::vector<unsigned char>& bytes) {
  struct sha256 hash;
  sha256_init(&hash);
  sha256_update(&hash, bytes.data(), bytes.size());
  unsigned char digest[32];
  sha256_final(&hash, digest);
  char hex[65];
  sha256_hex(digest, hex);
  return hex;
}

std::uint64_t seek(IStream* stream, std::int64_t offset, DWORD origin, const std::string& path) {
  LARGE_INTEGER move;
  move.QuadPart = offset;
  ULARGE_INTEGER position{};
  check(stream->Seek(move, origin, &position), "Seek " + path);
  return position.QuadPart;
}

void read_exactly(IStream* stream, unsigned char* buffer, std::uint64_t count,
                  const std::string& path) {
  ULONG read = 0;
  check(stream->Read(buffer, static_cast<ULONG>(count), &read), "Read " + path);
  if (read != count) throw std::runtime_error("short read from " + path);
}

ListedElement list_stream(IStorage* parent, const std::wstring& name, const std::string& path,
                          std::uint64_t listed_size) {
  ComPtr<IStream> stream;
  const HRESULT opened = parent->OpenStream(name.c_str(), nullptr, kRead, 0, stream.put());
  if (opened != S_OK) return {path, "unopenable\t" + hresult_text(opened) + "\t-"};
  STATSTG stat{};
  check(stream->Stat(&stat, STATFLAG_NONAME), "Stat " + path);
  const std::uint64_t size = stat.cbSize.QuadPart;
  if (size != listed_size || seek(stream.get(), 0, STREAM_SEEK_END, path) != size) {
    throw std::runtime_error("sizes of " + path + " disagree");
  }

  const std::uint64_t middle = size / 2;
  std::vector<unsigned char> tail(size - middle);
  if (seek(stream.get(), static_cast<std::int64_t>(middle), STREAM_SEEK_SET, path) != middle) {
    throw std::runtime_error("seek to the middle of " + path);
  }
  read_exactly(stream.get(), tail.data(), tail.size(), path);

  std::vector<unsigned char> bytes(size);
  seek(stream.get(), 0, STREAM_SEEK_SET, path);
  read_exactly(stream.get(), bytes.data(), size, path);
  if (!std::equal(tail.begin(), tail.end(), bytes.begin() + static_cast<std::ptrdiff_t>(middle))) {
    throw std::runtime_error("the two reads of " + path + " disagree");
  }
  unsigned char past_end = 0;
  ULONG read = 1;
  check(stream->Read(&past_end, 1, &read), "Read past the end of " + path);
  if (read != 0) throw std::runtime_error("read past the end of " + path);
  return {path, "stream\t" + std::to_string(size) + "\t" + sha256_of(bytes)};
}

void list_storage(IStorage* storage, const std::string& prefix, std::vector<ListedElement>& out) {
  ComPtr<IEnumSTATSTG> elements;
  check(storage->EnumElements(0, nullptr, 0, elements.put()), "EnumElements " + prefix);
  for (;;) {
    STATSTG stats[kEnumBatch];
    ULONG fetched = 0;
    const HRESULT result = elements->Next(kEnumBatch, stats, &fetched);
    if (result != S_OK && result != S_FALSE) fail("Next " + prefix, result);
    for (ULONG i = 0; i < fetched; ++i) {
      const std::unique_ptr<OLECHAR, decltype(&CoTaskMemFree)> name(stats[i].pwcsName,
                                                                     &CoTaskMemFree);
      const std::string path = prefix + utf8(name.get());
      if (stats[i].type == STGTY_STORAGE) {
        ComPtr<IStorage> child;
        const HRESULT opened =
            storage->OpenStorage(name.get(), nullptr, kRead, nullptr, 0, child.put());
        if (opened != S_OK) {
          out.push_back({path, "unopenable\t" + hresult_text(opened) + "\t-"});
          continue;
        }
        out.push_back({path, "storage\t-\t-"});
        list_storage(child.get(), path + "/", out);
      } else if (stats[i].type == STGTY_STREAM) {
        out.push_back(list_stream(storage, name.get(), path, stats[i].cbSize.QuadPart));
      } else {
        throw std::runtime_error("unexpected element type of " + path);
      }
    }
    if (result == S_FALSE) return;
  }
}

int dump_document(const std::string& path) {
  ComPtr<IStorage> root;
  check(StgOpenStorage(wide(path).c_str(), nullptr, kRead, nullptr, 0, root.put()),
        "StgOpenStorage");
  std::vector<ListedElement> elements;
  list_storage(root.get(), "", elements);
  std::sort(elements.begin(), elements.end(),
            [](const ListedElement& a, const ListedElement& b) { return a.path < b.path; });
  for (const ListedElement& element : elements) {
    std::printf("%s\t%s\n", element.fields.c_str(), element.path.c_str());
  }
  return 0;
}

int usage() {
  std::fputs("usage: storage_tool write PLAN OUT [--v4]\n       storage_tool dump FILE\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() >= 3 && args.size() <= 4 && args[0] == "write") {
      if (args.size() == 4 && args[3] != "--v4") return usage();
      return write_document(args[1], args[2], args.size() == 4);
    }
    if (args.size() == 2 && args[0] == "dump") return dump_document(args[1]);
    return usage();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "storage_tool: %s\n", error.what());
    return 1;
  }
}
