// Tests of vtuDependencyManager under a legacy single-byte ANSI code page: this binary runs with
// LC_ALL=de_DE.CP1252.
#include "vtutils/dependency_manager.h"

#include <gtest/gtest.h>

#include "dependencies/test_storage.h"
#include "testing/temp_dir.h"

namespace {

TEST(DependencyManagerCp1252, PathIsUtf8OnlyInsideTheStream) {
  ASSERT_EQ(GetACP(), 1252u);
  const vtutils::testing::TempDir folder;
  const auto file = folder.path() / "document.fop";
  vtuDependencyManager& manager = vtuDependencyManager::singleton();
  {
    const auto storage = vtutils::testing::create_file_storage(file);
    ASSERT_NE(storage, nullptr);
    manager.start_save_dependencies();
    manager.add_cad_path(17, utString("D:\\Projekte\\Geh\xE4use.stp"));
    manager.save_dependencies(storage.get());
    ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
  }

  const auto storage = vtutils::testing::open_file_storage(file);
  ASSERT_NE(storage, nullptr);
  EXPECT_EQ(vtutils::testing::read_dependency_stream(*storage),
            "\nVERSION\n1\n\nFILE_REFERENCE\nCAD-17\nD:\\Projekte\\Geh\xC3\xA4use.stp\n\n");
  manager.load_dependencies(storage.get());
  utString path;
  manager.cad_path(17, path);
  EXPECT_STREQ(path.data(), "D:\\Projekte\\Geh\xE4use.stp");
  vtuDependencyManager::delete_singleton();
}

}  // namespace
