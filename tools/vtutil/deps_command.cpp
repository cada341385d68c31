// vtutil deps: the CAD files a document depends on, through the process's dependency manager.
// `list` loads them as an application does while it opens the document, `add` loads them, adds
// one and saves them all again (creating the document when there is none), `clear` saves an
// empty list.
#include <charconv>
#include <cstdio>
#include <memory>
#include <string>

#include "command_failure.h"
#include "commands.h"
#include "document.h"
#include "vtutils/dependency_manager.h"
#include "vtutils/platform/base.h"
#include "vtutils/platform/storage.h"
#include "vtutils/platform/win32_types.h"

namespace {

using vtplatform::ComPtr;

struct DepsOptions {
  std::string document;
  std::string cad_id;
  std::string path;
  int wait_ms = kDefaultWaitMs;
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

void list(const DepsOptions& options) {
  const ComPtr<IStorage> document =
      open_document("deps list", options.document, STGM_READ, false, options.wait_ms);
  vtuDependencyManager& manager = vtuDependencyManager::singleton();
  manager.load_dependencies(document.get());
  for (const vtuDependencyManager::Entry& entry : manager.entries()) {
    std::printf("%u %s\n", entry.cad_id, entry.path.data());
  }
  manager.end_load_dependencies();
}

void add(const DepsOptions& options) {
  std::uint32_t cad_id = 0;
  const char* const end = options.cad_id.data() + options.cad_id.size();
  if (std::from_chars(options.cad_id.data(), end, cad_id).ptr != end || options.cad_id.empty()) {
    throw CLI::ValidationError("ID", "a CAD identifier is a number from 0 to 4294967295");
  }
  const ComPtr<IStorage> document =
      open_document("deps add", options.document, STGM_READWRITE, true, options.wait_ms);
  vtuDependencyManager& manager = vtuDependencyManager::singleton();
  // The loaded entries are the list the save writes, so the document keeps what it had.
  manager.abort();
  manager.load_dependencies(document.get());
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
  command
      ->add_option("--wait", options->wait_ms,
                   "Milliseconds to wait while another program uses the document")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();

  CLI::App* list_command = command->add_subcommand("list", "Identifier and path of each entry");
  list_command->add_option("DOC", options->document, "The document")->required();
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
