// Tests of vtuDependencyManager through real compound files: the stream's bytes, what loading
// skips, the cycles' flags and the singleton.
#include "vtutils/dependency_manager.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dependencies/test_storage.h"
#include "testing/temp_dir.h"

namespace {

using vtutils::testing::create_file_storage;
using vtutils::testing::create_memory_storage;
using vtutils::testing::open_file_storage;
using vtutils::testing::read_dependency_stream;
using vtutils::testing::TempDir;
using vtutils::testing::write_dependency_stream;

// Exposes the protected access function behind singleton() and delete_singleton().
struct SingletonAccess : vtuDependencyManager {
  using vtuDependencyManager::access_singleton;
};

class DependencyManagerTest : public testing::Test {
 protected:
  ~DependencyManagerTest() override { vtuDependencyManager::delete_singleton(); }

  static vtuDependencyManager& fresh_manager() {
    vtuDependencyManager::delete_singleton();
    return vtuDependencyManager::singleton();
  }

  // Loads `bytes` as the dependency stream of a new document.
  void load(std::string_view bytes) {
    const auto storage = create_memory_storage();
    ASSERT_NE(storage, nullptr);
    ASSERT_TRUE(write_dependency_stream(*storage, bytes));
    manager_.load_dependencies(storage.get());
  }

  // The manager's answer for `cad_id`, or nothing for the null string. The string asked with
  // holds text, which an answer of "no entry" must clear.
  std::optional<std::string> path_of(std::uint32_t cad_id) const {
    utString path(utStringLiteral, "stale");
    manager_.cad_path(cad_id, path);
    if (path.is_null()) return std::nullopt;
    return std::string(path.data(), path.length());
  }

  vtuDependencyManager& manager_ = fresh_manager();
};

TEST_F(DependencyManagerTest, SingletonIsMadeOnFirstUseAndDeletedOnRequest) {
  EXPECT_EQ(&vtuDependencyManager::singleton(), &manager_);
  EXPECT_EQ(SingletonAccess::access_singleton(utSingletonGet), &manager_);
  manager_.start_save_dependencies();
  manager_.add_cad_path(1, utString("a"));
  EXPECT_EQ(SingletonAccess::access_singleton(utSingletonDelete), nullptr);

  const vtuDependencyManager& fresh = vtuDependencyManager::singleton();
  EXPECT_FALSE(fresh.saving_dependencies());
  utString path;
  fresh.cad_path(1, path);
  EXPECT_TRUE(path.is_null());
}

// The compound file under the stream is the storage library's; the code page test saves into a
// file and opens it again.
TEST_F(DependencyManagerTest, SavesAndLoadsBack) {
  const auto storage = create_memory_storage();
  ASSERT_NE(storage, nullptr);
  manager_.start_save_dependencies();
  manager_.add_cad_path(3, utString("C:\\Models\\bracket.igs"));
  manager_.add_cad_path(17, utString("D:\\Projekte\\Gehäuse.stp"));
  manager_.save_dependencies(storage.get());
  EXPECT_FALSE(manager_.saving_dependencies());
  EXPECT_EQ(path_of(3), std::nullopt);

  EXPECT_EQ(read_dependency_stream(*storage),
            "\nVERSION\n1\n"
            "\nFILE_REFERENCE\nCAD-3\nC:\\Models\\bracket.igs\n"
            "\nFILE_REFERENCE\nCAD-17\nD:\\Projekte\\Geh\xC3\xA4use.stp\n"
            "\n");
  manager_.load_dependencies(storage.get());
  EXPECT_TRUE(manager_.loading_dependencies());
  EXPECT_EQ(path_of(3), "C:\\Models\\bracket.igs");
  EXPECT_EQ(path_of(17), "D:\\Projekte\\Gehäuse.stp");
  manager_.end_load_dependencies();
  EXPECT_FALSE(manager_.loading_dependencies());
  EXPECT_EQ(path_of(17), std::nullopt);
}

TEST_F(DependencyManagerTest, EmptyListReplacesTheStreamWithTwelveBytes) {
  const auto storage = create_memory_storage();
  ASSERT_NE(storage, nullptr);
  ASSERT_TRUE(write_dependency_stream(*storage, "an older and longer stream that goes entirely\n"));
  manager_.save_dependencies(storage.get());
  EXPECT_EQ(read_dependency_stream(*storage), "\nVERSION\n1\n\n");

  manager_.load_dependencies(storage.get());
  EXPECT_TRUE(manager_.loading_dependencies());
  EXPECT_EQ(path_of(0), std::nullopt);
}

TEST_F(DependencyManagerTest, WritesEveryPathWithTextAndAnswersWithTheFirst) {
  const auto storage = create_memory_storage();
  ASSERT_NE(storage, nullptr);
  manager_.add_cad_path(1, utString());
  manager_.add_cad_path(2, utString(""));
  manager_.add_cad_path(3, utString("\0hidden", 7));
  manager_.add_cad_path(5, utString("first\0hidden", 12));
  manager_.add_cad_path(5, utString("second"));
  manager_.save_dependencies(storage.get());
  EXPECT_EQ(read_dependency_stream(*storage),
            "\nVERSION\n1\n\nFILE_REFERENCE\nCAD-5\nfirst\n\nFILE_REFERENCE\nCAD-5\nsecond\n\n");
  EXPECT_EQ(path_of(1), std::nullopt);

  manager_.load_dependencies(storage.get());
  EXPECT_EQ(path_of(5), "first");
}

// A document opened read-only refuses the new stream; the caller may retry elsewhere or abort.
TEST_F(DependencyManagerTest, FailedCreateStreamKeepsTheSaveCycle) {
  const TempDir folder;
  const auto file = folder.path() / "document.fop";
  {
    const auto storage = create_file_storage(file);
    ASSERT_NE(storage, nullptr);
    ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
  }
  const auto read_only = open_file_storage(file);
  ASSERT_NE(read_only, nullptr);
  manager_.start_save_dependencies();
  manager_.add_cad_path(4, utString("C:\\kept.igs"));
  manager_.save_dependencies(read_only.get());
  EXPECT_TRUE(manager_.saving_dependencies());
  EXPECT_EQ(path_of(4), "C:\\kept.igs");
  EXPECT_EQ(read_dependency_stream(*read_only), std::nullopt);
}

TEST_F(DependencyManagerTest, CyclesOnlyReportTheirFlags) {
  const auto without_stream = create_memory_storage();
  ASSERT_NE(without_stream, nullptr);
  manager_.start_save_dependencies();
  manager_.add_cad_path(1, utString("held"));
  manager_.load_dependencies(without_stream.get());
  EXPECT_TRUE(manager_.loading_dependencies());
  EXPECT_TRUE(manager_.saving_dependencies());
  load("\nFILE_REFERENCE\nCAD-1\nloaded\n\nFILE_REFERENCE\nCAD-2\nappended\n");
  EXPECT_EQ(path_of(1), "held");
  EXPECT_EQ(path_of(2), "appended");

  manager_.end_load_dependencies();
  EXPECT_FALSE(manager_.loading_dependencies());
  EXPECT_TRUE(manager_.saving_dependencies());
  EXPECT_EQ(path_of(1), std::nullopt);

  manager_.add_cad_path(3, utString("x"));
  manager_.load_dependencies(without_stream.get());
  manager_.abort();
  EXPECT_FALSE(manager_.loading_dependencies());
  EXPECT_FALSE(manager_.saving_dependencies());
  EXPECT_EQ(path_of(3), std::nullopt);
}

TEST_F(DependencyManagerTest, LoadSkipsWhatItCannotUnderstand) {
  struct Case {
    const char* what;
    std::string_view bytes;
    std::vector<std::pair<std::uint32_t, std::optional<std::string>>> expected;
  };
  const Case cases[] = {
      {"no version record", "\nFILE_REFERENCE\nCAD-7\nx\n\n", {{7, "x"}}},
      {"version 2 ends the read",
       "\nFILE_REFERENCE\nCAD-1\na\n\nVERSION\n2\n\nFILE_REFERENCE\nCAD-2\nb\n\n",
       {{1, "a"}, {2, std::nullopt}}},
      {"identifier lines",
       "\nFILE_REFERENCE\nCAD-\nno digit\n"
       "\nFILE_REFERENCE\nCAD-4294967296\nabove 32 bits\n"
       "\nFILE_REFERENCE\n5\nno CAD-\n"
       "\nFILE_REFERENCE\nxCAD-12 extra\ntwelve\n"
       "\nFILE_REFERENCE\nCAD-4294967295\nlargest\n"
       "\nFILE_REFERENCE\nCAD--2\nnegated in 32 bits\n",
       {{0, std::nullopt},
        {5, std::nullopt},
        {12, "twelve"},
        {4294967295, "largest"},
        {4294967294, "negated in 32 bits"}}},
      {"carriage returns", "\r\nVERSION\r\n1\r\n\r\nFILE_REFERENCE\r\nCAD-3\r\nC:\\a\r\n\r\n",
       {{3, std::nullopt}}},
      {"no closing line feed", "\nVERSION\n1\n\nFILE_REFERENCE\nCAD-3\nC:\\a\n", {{3, "C:\\a"}}},
      {"unfinished record", "\nFILE_REFERENCE\nCAD-3\nC:\\a\n\nFILE_REFERENCE\nCAD-4\nC:\\b",
       {{3, "C:\\a"}, {4, std::nullopt}}},
      {"paths that convert to nothing",
       "\nFILE_REFERENCE\nCAD-8\n\n\nFILE_REFERENCE\nCAD-9\n\xFF\n\nFILE_REFERENCE\nCAD-10\nok\n",
       {{8, std::nullopt}, {9, std::nullopt}, {10, "ok"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    manager_.abort();
    load(c.bytes);
    EXPECT_TRUE(manager_.loading_dependencies());
    for (const auto& [cad_id, path] : c.expected) EXPECT_EQ(path_of(cad_id), path) << cad_id;
  }
}

}  // namespace
