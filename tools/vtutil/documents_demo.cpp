// vtutil demo, documents: the dependency list of a real compound file, loaded and saved through
// the process's dependency manager.
#include "documents_demo.h"

#include <cstdio>
#include <fstream>

#include "document.h"
#include "sample_document.h"
#include "vtutils/dependency_manager.h"
#include "vtutils/file_utils.h"
#include "vtutils/platform/base.h"
#include "vtutils/platform/files.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/storage.h"

namespace {

void print_dependencies(IStorage* document) {
  vtuDependencyManager& manager = vtuDependencyManager::singleton();
  manager.load_dependencies(document);
  for (const vtuDependencyManager::Entry& entry : manager.entries()) {
    std::printf("    CAD-%u  %s\n", entry.cad_id, entry.path.data());
  }
  manager.end_load_dependencies();
}

}  // namespace

void print_documents_demo() {
  std::printf("Documents (the sample bracket_assembly.vtd)\n");
  const CString path = vtuFileUtils::create_temp_file_path("vtu", "bracket_assembly.vtd");
  {
    const std::span<const unsigned char> bytes = sample_document();
    std::ofstream(path.GetString(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  {
    const vtplatform::ComPtr<IStorage> document = open_document("demo", path.GetString(), STGM_READWRITE);
    std::printf("  inside:\n");
    print_storage_tree(document.get(), false, 2);
    std::printf("  depends on:\n");
    print_dependencies(document.get());

    vtuDependencyManager& manager = vtuDependencyManager::singleton();
    manager.load_dependencies(document.get());
    manager.start_save_dependencies();
    manager.add_cad_path(99, utString("E:\\Vorrichtung\\Spannpratze.igs"));
    manager.save_dependencies(document.get());
    manager.end_load_dependencies();
    document->Commit(STGC_DEFAULT);
    std::printf("  after adding CAD-99 and saving:\n");
    print_dependencies(document.get());
  }
  DeleteFileA(path);
}
