// The installation layout, asked in fresh processes of the probe program that load a copy of the
// library from a temp tree: the answer is fixed once per process and follows the canonical path
// of the library's own file.
#include <stdio.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "vtutils/layout.h"
#include "vtutils/platform/framework.h"
#include "vtutils/platform/processes.h"

namespace {

namespace fs = std::filesystem;
using vtutils::testing::TempDir;

// The probe's "key: value" lines, run with the library loaded from `library_folder`.
std::map<std::string, std::string> probe(const fs::path& library_folder) {
  const std::string command =
      "env LD_LIBRARY_PATH='" + library_folder.string() + "' '" VTUTILS_LAYOUT_PROBE "'";
  std::unique_ptr<FILE, decltype(&pclose)> output(popen(command.c_str(), "r"), &pclose);
  std::map<std::string, std::string> answers;
  char line[1024];
  while (output != nullptr && fgets(line, sizeof line, output.get()) != nullptr) {
    std::string text(line);
    if (text.ends_with('\n')) text.pop_back();
    const auto colon = text.find(": ");
    if (colon != std::string::npos) answers[text.substr(0, colon)] = text.substr(colon + 2);
  }
  return answers;
}

// A copy of the library under its load name in `folder`, which is created.
fs::path install_library(const fs::path& folder) {
  fs::create_directories(folder);
  const fs::path copy = folder / VTUTILS_LIBRARY_SONAME;
  fs::copy_file(VTUTILS_LIBRARY_FILE, copy);
  return copy;
}

constexpr const char* kDevelopmentRoot = "P:/devel/products/source/Vantrel.dev/bren";

TEST(LayoutTest, LibraryInDevelBinariesIsTheDevelopmentTree) {
  TempDir tree;
  const fs::path copy = install_library(tree.path() / "work" / "devel" / "binaries");
  auto answers = probe(copy.parent_path());
  EXPECT_EQ(answers["library"], copy.string());
  EXPECT_EQ(answers["resource chain"], "joined");
  EXPECT_EQ(answers["layout"], "development");
  EXPECT_EQ(answers["root"], kDevelopmentRoot);
  EXPECT_EQ(answers["file"], std::string(kDevelopmentRoot) + "/file");
  EXPECT_EQ(answers["lib"], std::string(kDevelopmentRoot) + "/lib");
  EXPECT_EQ(answers["sys"], std::string(kDevelopmentRoot) + "/sys");
}

TEST(LayoutTest, LibraryElsewhereIsTheDistribution) {
  TempDir tree;
  const fs::path copy = install_library(tree.path() / "opt" / "devel" / "lib");
  auto answers = probe(copy.parent_path());
  EXPECT_EQ(answers["library"], copy.string());
  EXPECT_EQ(answers["layout"], "distribution");
  // The application is the probe; the root is two dirname steps up from its folder, which ends
  // with a separator: the folder that holds the probe's folder.
  const fs::path program_folder = fs::path(VTUTILS_LAYOUT_PROBE).parent_path();
  EXPECT_EQ(answers["application"], program_folder.string() + "/");
  EXPECT_EQ(answers["root"], program_folder.parent_path().string());
  EXPECT_EQ(answers["sys"], program_folder.parent_path().string() + "/sys");
}

TEST(LayoutTest, CanonicalPathDecides) {
  TempDir tree;
  // A link named devel/binaries that leads elsewhere does not count...
  const fs::path real = install_library(tree.path() / "real").parent_path();
  fs::create_directories(tree.path() / "devel");
  fs::create_directory_symlink(real, tree.path() / "devel" / "binaries");
  EXPECT_EQ(probe(tree.path() / "devel" / "binaries")["layout"], "distribution");

  // ...and a link elsewhere that leads into devel/binaries does.
  TempDir other;
  const fs::path target = install_library(other.path() / "devel" / "binaries");
  fs::create_directories(tree.path() / "plain");
  fs::create_symlink(target, tree.path() / "plain" / VTUTILS_LIBRARY_SONAME);
  EXPECT_EQ(probe(tree.path() / "plain")["layout"], "development");
}

TEST(LayoutTest, ApplicationFolderFollowsTheApplicationObject) {
  const std::string program_folder = fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
  EXPECT_EQ(vtu_get_main_application_folder().GetString(), program_folder);
  {
    CWinApp app("host");
    app.m_hInstance = GetModuleHandleA("libc");
    char library[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(app.m_hInstance, library, MAX_PATH), 0u);
    const std::string library_folder = fs::path(library).parent_path().string() + "/";
    EXPECT_EQ(vtu_get_main_application_folder().GetString(), library_folder);
    EXPECT_EQ(std::wstring(vtu_get_main_application_folder_unicode().GetString()),
              std::wstring(library_folder.begin(), library_folder.end()));
  }
  EXPECT_EQ(vtu_get_main_application_folder().GetString(), program_folder);
}

}  // namespace
