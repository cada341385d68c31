// vtutil storage: the inside of a compound file. `ls` prints the tree of storages and streams
// with the streams' sizes; `cat` writes one stream's bytes to standard output.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command_failure.h"
#include "commands.h"
#include "document.h"
#include "json_line.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/storage.h"
#include "vtutils/platform/win32_types.h"

namespace {

using vtplatform::ComPtr;

constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;

std::wstring wide(const std::string& text) { return CStringW(text.c_str()).GetString(); }

// Opens the stream at `path`, whose parts are separated by '/'.
ComPtr<IStream> open_stream(IStorage* root, const std::string& path) {
  ComPtr<IStorage> storage(root);
  std::string rest = path;
  for (auto slash = rest.find('/'); slash != std::string::npos; slash = rest.find('/')) {
    ComPtr<IStorage> inner;
    const HRESULT result = storage->OpenStorage(wide(rest.substr(0, slash)).c_str(), nullptr,
                                                kRead, nullptr, 0, inner.put());
    if (FAILED(result)) {
      fail_command("storage cat", "no storage " + rest.substr(0, slash) + ": " + error_text(static_cast<DWORD>(result)));
    }
    storage = inner;
    rest.erase(0, slash + 1);
  }
  ComPtr<IStream> stream;
  const HRESULT result = storage->OpenStream(wide(rest).c_str(), nullptr, kRead, 0, stream.put());
  if (FAILED(result)) fail_command("storage cat", "no stream " + path + ": " + error_text(static_cast<DWORD>(result)));
  return stream;
}

void cat(const std::string& document, const std::string& path) {
  const ComPtr<IStorage> root = open_document("storage cat", document, STGM_READ);
  const ComPtr<IStream> stream = open_stream(root.get(), path);
  std::vector<char> chunk(1 << 16);
  ULONG read = 0;
  while (SUCCEEDED(stream->Read(chunk.data(), static_cast<ULONG>(chunk.size()), &read)) && read > 0) {
    std::fwrite(chunk.data(), 1, read, stdout);
  }
}

}  // namespace

void add_storage_command(CLI::App& app) {
  CLI::App* command = app.add_subcommand("storage", "Look inside a compound file");
  command->require_subcommand(1);

  auto document = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  CLI::App* ls = command->add_subcommand("ls", "The tree of storages and streams, with sizes");
  ls->add_option("DOC", *document, "The compound file")->required();
  add_json_flag(ls, *json);
  ls->callback([document, json] {
    print_storage_tree(open_document("storage ls", *document, STGM_READ).get(), *json);
  });

  auto stream = std::make_shared<std::string>();
  CLI::App* cat_command = command->add_subcommand("cat", "Write a stream's bytes to standard output");
  cat_command->add_option("DOC", *document, "The compound file")->required();
  cat_command->add_option("STREAM", *stream, "The stream, as storage/.../stream")->required();
  cat_command->callback([document, stream] { cat(*document, *stream); });
}
