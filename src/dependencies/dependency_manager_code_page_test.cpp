// Tests of vtuDependencyManager under each code page of the test table: paths are UTF-8 only
// inside the stream.
#include "vtutils/dependency_manager.h"

#include <gtest/gtest.h>

#include <string>

#include "dependencies/test_storage.h"
#include "testing/code_page_samples.h"
#include "testing/temp_dir.h"

namespace {

TEST(DependencyManagerCodePage, PathIsUtf8OnlyInsideTheStream) {
  const auto& word = vtutils::testing::code_page_samples().word;
  const std::string path = std::string("D:\\Projekte\\") + word.ansi + ".stp";
  const vtutils::testing::TempDir folder;
  const auto file = folder.path() / "document.fop";
  vtuDependencyManager& manager = vtuDependencyManager::singleton();
  {
    const auto storage = vtutils::testing::create_file_storage(file);
    ASSERT_NE(storage, nullptr);
    manager.start_save_dependencies();
    manager.add_cad_path(17, utString(path.c_str()));
    manager.save_dependencies(storage.get());
    ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
  }

  const auto storage = vtutils::testing::open_file_storage(file);
  ASSERT_NE(storage, nullptr);
  EXPECT_EQ(vtutils::testing::read_dependency_stream(*storage),
            std::string("\nVERSION\n1\n\nFILE_REFERENCE\nCAD-17\nD:\\Projekte\\") + word.utf8 +
                ".stp\n\n");
  manager.load_dependencies(storage.get());
  utString loaded;
  manager.cad_path(17, loaded);
  EXPECT_STREQ(loaded.data(), path.c_str());
  vtuDependencyManager::delete_singleton();
}

}  // namespace
