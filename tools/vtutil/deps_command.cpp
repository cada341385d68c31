// vtutil deps: the CAD files a document depends on, through the process's dependency manager.
// `list` loads them as an application does while it opens the document, `add` loads them, adds
// one and saves them all again (creating the document when there is none), `clear` saves an
// empty list.
#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "command_failure.h"
#include "commands.h"
#include "document.h"
#include "escaped.h"
#include "json_line.h"
#include "vtutils/dependency_manager.h"
#include "vtutils/platform/base.h"
#include "vtutils/platform/storage.h"
#include "vtutils/platform/win32_types.h"

namespace {

using vtplatform::ComPtr;

constexpr OLECHAR kStreamName[] = L"FOPDependencies";

struct DepsOptions {
  std::string document;
  std::string cad_id;
  std::string path;
  int wait_ms = kDefaultWaitMs;
  bool json = false;
};

// Saves what the manager holds into the document and commits it.
void save(const char* command, IStorage* document) {
  vtuDependencyManager& manager = vtuDependencyManager::singleton();
  manager.save_dependencies(document);
  if (manager.saving_dependencies() || FAILED(document->Commit(STGC_DEFAULT))) {
    manager.abort();
    fail_command(command, "cannot write the dependencies into the document");
  }
}

// The bytes of the dependency stream of `document`; nothing when it has none.
std::optional<std::string> read_stream(IStorage* document) {
  ComPtr<IStream> stream;
  if (FAILED(document->OpenStream(kStreamName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                  stream.put()))) {
    return std::nullopt;
  }
  std::string bytes;
  char chunk[4096];
  ULONG read = 0;
  while (SUCCEEDED(stream->Read(chunk, sizeof chunk, &read)) && read > 0) bytes.append(chunk, read);
  return bytes;
}

// Fails the command when the entries that the manager loaded from `document` are not the whole
// of its dependency stream: another version of it, or records that could not be understood. The
// stream that saving the loaded entries writes is compared with the one in the document.
void check_read_whole(const char* command, const std::string& path, IStorage* document) {
  const std::optional<std::string> stored = read_stream(document);
  if (!stored || stored->empty()) return;
  ComPtr<ILockBytes> bytes;
  ComPtr<IStorage> copy;
  if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put())) ||
      FAILED(StgCreateDocfileOnILockBytes(bytes.get(),
                                          STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                          copy.put()))) {
    fail_command(command, "out of memory");
  }
  vtuDependencyManager& manager = vtuDependencyManager::singleton();
  manager.start_save_dependencies();
  manager.save_dependencies(copy.get());
  manager.load_dependencies(copy.get());  // the same entries again, for the caller
  if (read_stream(copy.get()) != stored) {
    fail_command(command, "the dependency list of " + path +
                              " is not one this program can read whole (another version, or "
                              "damaged)" +
                              (command == std::string("deps add") ? "; the document is unchanged"
                                                                  : ""));
  }
}

void list(const DepsOptions& options) {
  const ComPtr<IStorage> document =
      open_document("deps list", options.document, STGM_READ, false, options.wait_ms);
  vtuDependencyManager& manager = vtuDependencyManager::singleton();
  manager.load_dependencies(document.get());
  for (const vtuDependencyManager::Entry& entry : manager.entries()) {
    if (options.json) {
      JsonLine().number("cad_id", entry.cad_id).text("path", entry.path.data()).write("deps list");
    } else {
      std::printf("%u %s\n", entry.cad_id, escaped(entry.path.data()).c_str());
    }
  }
  check_read_whole("deps list", options.document, document.get());
  manager.end_load_dependencies();
}

// The CAD identifier in `text`, a number from 0 to 4294967295; a usage error otherwise.
std::uint32_t parse_cad_id(const std::string& text) {
  std::uint32_t cad_id = 0;
  const char* const end = text.data() + text.size();
  const auto [parsed_end, error] = std::from_chars(text.data(), end, cad_id);
  if (text.empty() || error != std::errc() || parsed_end != end) {
    fail_usage("deps add", "not a CAD identifier (a number from 0 to 4294967295): " + text);
  }
  return cad_id;
}

// Refuses a path that the stream cannot hold as one entry: an empty one, one with a line break,
// which would end its record and begin another, and one that is not text in the ANSI code page,
// which would be stored with replacement characters.
void check_path(const std::string& path) {
  if (path.empty()) fail_usage("deps add", "the path is empty");
  if (path.find_first_of("\r\n") != std::string::npos) {
    fail_usage("deps add", "the path has a line break: " + escaped(path));
  }
  if (!valid_text(path)) {
    fail_usage("deps add", "the path is not valid text in the code page: " + escaped(path));
  }
}

void add(const DepsOptions& options) {
  const std::uint32_t cad_id = parse_cad_id(options.cad_id);
  check_path(options.path);
  const ComPtr<IStorage> document =
      open_document("deps add", options.document, STGM_READWRITE, true, options.wait_ms);
  vtuDependencyManager& manager = vtuDependencyManager::singleton();
  // The loaded entries are the list the save writes, so the document keeps what it had; a list
  // that was not read whole would lose the rest.
  manager.abort();
  manager.load_dependencies(document.get());
  check_read_whole("deps add", options.document, document.get());
  manager.start_save_dependencies();
  manager.add_cad_path(cad_id, utString(options.path.c_str()));
  save("deps add", document.get());
  manager.end_load_dependencies();
}

void clear(const DepsOptions& options) {
  const ComPtr<IStorage> document =
      open_document("deps clear", options.document, STGM_READWRITE, false, options.wait_ms);
  vtuDependencyManager& manager = vtuDependencyManager::singleton();
  manager.abort();
  manager.start_save_dependencies();
  save("deps clear", document.get());
}

}  // namespace

void add_deps_command(CLI::App& app) {
  auto options = std::make_shared<DepsOptions>();
  CLI::App* command =
      app.add_subcommand("deps", "The CAD files a document depends on (its FOPDependencies stream)");
  command->require_subcommand(1);
  command->fallthrough();  // --wait also after the subcommand
  command
      ->add_option("--wait", options->wait_ms,
                   "Milliseconds to wait while another program uses the document")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();

  CLI::App* list_command = command->add_subcommand("list", "Identifier and path of each entry");
  list_command->add_option("DOC", options->document, "The document")->required();
  add_json_flag(list_command, options->json);
  list_command->callback([options] { list(*options); });

  CLI::App* add_command =
      command->add_subcommand("add", "Add an entry and save the list (a new DOC is created)");
  add_command->add_option("DOC", options->document, "The document")->required();
  add_command->add_option("ID", options->cad_id, "The CAD identifier")->required();
  add_command->add_option("PATH", options->path, "The CAD file's path")->required();
  add_command->callback([options] { add(*options); });

  CLI::App* clear_command = command->add_subcommand("clear", "Save an empty list");
  clear_command->add_option("DOC", options->document, "The document")->required();
  clear_command->callback([options] { clear(*options); });
}
