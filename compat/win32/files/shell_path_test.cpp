// Tests of the shell's path functions: components, extensions, joining, length bounds and the
// file system questions.
#include "vtplatform/win32/shell_path.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <utility>

#include "testing/temp_dir.h"

namespace {

// What an in-place function returned, and the text it left in the buffer.
using Outcome = std::pair<BOOL, std::string>;

// Runs `edit` on a MAX_PATH buffer that holds `path`.
template <typename Edit>
Outcome run(const std::string& path, Edit edit) {
  char buffer[MAX_PATH] = {};
  path.copy(buffer, MAX_PATH - 1);
  if constexpr (std::is_void_v<decltype(edit(buffer))>) {
    edit(buffer);
    return {TRUE, buffer};
  } else {
    const BOOL result = edit(buffer);
    return {result, buffer};
  }
}

Outcome add_extension(const std::string& path, const char* extension) {
  return run(path, [extension](LPSTR buffer) { return PathAddExtensionA(buffer, extension); });
}
Outcome rename_extension(const std::string& path, const char* extension) {
  return run(path, [extension](LPSTR buffer) { return PathRenameExtensionA(buffer, extension); });
}
Outcome append(const std::string& path, const char* more) {
  return run(path, [more](LPSTR buffer) { return PathAppendA(buffer, more); });
}
std::string file_name(const char* path) { return PathFindFileNameA(path); }
std::string extension(const char* path) { return PathFindExtensionA(path); }

TEST(ShellPath, FindsTheLastComponent) {
  EXPECT_EQ(file_name("/opt/app/scan.csv"), "scan.csv");
  EXPECT_EQ(file_name("dir\\sub\\scan.csv"), "scan.csv");
  EXPECT_EQ(file_name("/opt/app/"), "app/");
  EXPECT_EQ(file_name("/"), "/");
  EXPECT_EQ(file_name("/d\xe9j\xe0/\xfc.txt"), "\xfc.txt");
  const char* path = "/a/b";
  EXPECT_EQ(PathFindFileNameA(path), path + 3);
  EXPECT_EQ(PathFindFileNameA(nullptr), nullptr);

  EXPECT_EQ(run("/opt/app/scan.csv", PathStripPathA).second, "scan.csv");
  EXPECT_EQ(run("C:\\dir\\", PathStripPathA).second, "dir\\");
  EXPECT_EQ(run("name", PathStripPathA).second, "name");
}

TEST(ShellPath, FindsTheExtensionOfTheLastComponentOnly) {
  EXPECT_EQ(extension("scan.v1"), ".v1");
  EXPECT_EQ(extension("/a/archive.tar.gz"), ".gz");
  EXPECT_EQ(extension("my file.txt"), ".txt");
  EXPECT_EQ(extension("file.a b"), "");
  EXPECT_EQ(extension("/dir.d/file"), "");
  EXPECT_EQ(extension("dir.d\\file"), "");
  EXPECT_EQ(extension("/home/.profile"), ".profile");
  EXPECT_EQ(extension("\xe9t\xe9.\xe0"), ".\xe0");
  const char* path = "name";
  EXPECT_EQ(PathFindExtensionA(path), path + 4);
  EXPECT_EQ(PathFindExtensionA(nullptr), nullptr);

  EXPECT_EQ(run("/a.b/scan.v1.csv", PathRemoveExtensionA).second, "/a.b/scan.v1");
  EXPECT_EQ(run("/a.b/scan", PathRemoveExtensionA).second, "/a.b/scan");
}

TEST(ShellPath, AddsAndRenamesExtensions) {
  EXPECT_EQ(add_extension("/out/scan", ".csv"), Outcome(TRUE, "/out/scan.csv"));
  EXPECT_EQ(add_extension("scan.v1", ".csv"), Outcome(FALSE, "scan.v1"));
  EXPECT_EQ(add_extension("", ".csv"), Outcome(TRUE, ".csv"));
  EXPECT_EQ(add_extension("tool", nullptr), Outcome(TRUE, "tool.exe"));
  EXPECT_FALSE(PathAddExtensionA(nullptr, ".csv"));

  EXPECT_EQ(rename_extension("/a.b/scan.v1", ".csv"), Outcome(TRUE, "/a.b/scan.csv"));
  EXPECT_EQ(rename_extension("/a.b/scan", ".csv"), Outcome(TRUE, "/a.b/scan.csv"));
  EXPECT_EQ(rename_extension("scan.v1", nullptr), Outcome(FALSE, "scan.v1"));
  EXPECT_FALSE(PathRenameExtensionA(nullptr, ".csv"));
}

TEST(ShellPath, GrowingFunctionsFailWhenTheResultExceedsMaxPath) {
  // 259 characters fit with the terminator, 260 do not; a failure leaves the buffer alone.
  const std::string base = "/" + std::string(250, 'x');
  const std::string name = base + "123";  // 254 characters
  EXPECT_EQ(add_extension(name, ".csvx"), Outcome(TRUE, name + ".csvx"));
  EXPECT_EQ(add_extension(name + "4", ".csvx"), Outcome(FALSE, name + "4"));
  EXPECT_EQ(rename_extension(name + ".c", ".csvx"), Outcome(TRUE, name + ".csvx"));
  EXPECT_EQ(rename_extension(name + ".c", ".csvxy"), Outcome(FALSE, name + ".c"));
  EXPECT_EQ(append(base, "1234567"), Outcome(TRUE, base + "/1234567"));
  EXPECT_EQ(append(base, "12345678"), Outcome(FALSE, base));

  char combined[MAX_PATH] = "untouched";
  EXPECT_EQ(PathCombineA(combined, base.c_str(), "1234567"), combined);
  EXPECT_EQ(std::string(combined), base + "/1234567");
  EXPECT_EQ(PathCombineA(combined, base.c_str(), "12345678"), nullptr);
  EXPECT_STREQ(combined, "");
  // Only the resolved result counts.
  EXPECT_EQ(PathCombineA(combined, base.c_str(), "../../12345678"), combined);
  EXPECT_STREQ(combined, "/12345678");
}

TEST(ShellPath, RemovesTheLastComponent) {
  EXPECT_EQ(run("/opt/app/bin", PathRemoveFileSpecA), Outcome(TRUE, "/opt/app"));
  EXPECT_EQ(run("dir\\file", PathRemoveFileSpecA), Outcome(TRUE, "dir"));
  EXPECT_EQ(run("/opt/app/", PathRemoveFileSpecA), Outcome(TRUE, "/opt/app"));
  EXPECT_EQ(run("/opt", PathRemoveFileSpecA), Outcome(TRUE, "/"));
  EXPECT_EQ(run("\\opt", PathRemoveFileSpecA), Outcome(TRUE, "\\"));
  EXPECT_EQ(run("name", PathRemoveFileSpecA), Outcome(TRUE, ""));
  EXPECT_EQ(run("/", PathRemoveFileSpecA), Outcome(FALSE, "/"));
  EXPECT_EQ(run("", PathRemoveFileSpecA), Outcome(FALSE, ""));
  EXPECT_FALSE(PathRemoveFileSpecA(nullptr));
}

TEST(ShellPath, AppendsWithOneSeparator) {
  EXPECT_EQ(append("/tmp", "scan.csv"), Outcome(TRUE, "/tmp/scan.csv"));
  EXPECT_EQ(append("/tmp/", "scan.csv"), Outcome(TRUE, "/tmp/scan.csv"));
  EXPECT_EQ(append("C:\\tmp\\", "scan.csv"), Outcome(TRUE, "C:\\tmp\\scan.csv"));
  EXPECT_EQ(append("/tmp", "/scan.csv"), Outcome(TRUE, "/tmp/scan.csv"));
  EXPECT_EQ(append("/", "tmp"), Outcome(TRUE, "/tmp"));
  EXPECT_EQ(append("", "/tmp"), Outcome(TRUE, "/tmp"));
  EXPECT_EQ(append("/tmp", ""), Outcome(TRUE, "/tmp"));
  EXPECT_EQ(append("..", "data/./x"), Outcome(TRUE, "../data/./x"));
  EXPECT_EQ(append("/tmp", nullptr), Outcome(FALSE, "/tmp"));
  EXPECT_FALSE(PathAppendA(nullptr, "x"));
}

TEST(ShellPath, CombinesAndResolvesDots) {
  const auto combine = [](const char* directory, const char* file) {
    char destination[MAX_PATH] = "untouched";
    EXPECT_EQ(PathCombineA(destination, directory, file), destination);
    return std::string(destination);
  };
  EXPECT_EQ(combine("/out", "scan1.csv"), "/out/scan1.csv");
  EXPECT_EQ(combine("C:\\out\\", "sub\\scan1.csv"), "C:/out/sub/scan1.csv");
  EXPECT_EQ(combine("/out", "/etc/x"), "/etc/x");
  EXPECT_EQ(combine("/a/./b//c", "../d"), "/a/b/d");
  EXPECT_EQ(combine("/a", "../../../x"), "/x");
  EXPECT_EQ(combine("/a", ".."), "/");
  EXPECT_EQ(combine("a/b/", "../"), "a/");
  EXPECT_EQ(combine("a", "../../x"), "../x");
  EXPECT_EQ(combine("a", ".."), ".");
  EXPECT_EQ(combine(nullptr, "a/./b"), "a/b");
  EXPECT_EQ(combine("/a/b/..", nullptr), "/a");
  EXPECT_EQ(combine("", ""), "");

  char in_place[MAX_PATH] = "/out/sub";
  EXPECT_EQ(PathCombineA(in_place, in_place, "../scan.csv"), in_place);
  EXPECT_STREQ(in_place, "/out/scan.csv");

  char destination[MAX_PATH] = "untouched";
  EXPECT_EQ(PathCombineA(destination, nullptr, nullptr), nullptr);
  EXPECT_STREQ(destination, "");
  EXPECT_EQ(PathCombineA(nullptr, "/a", "b"), nullptr);
}

TEST(ShellPath, RootedPathsStartWithASeparator) {
  EXPECT_FALSE(PathIsRelativeA("/opt"));
  EXPECT_FALSE(PathIsRelativeA("\\opt"));
  EXPECT_TRUE(PathIsRelativeA("opt/app"));
  EXPECT_TRUE(PathIsRelativeA("C:\\opt"));
  EXPECT_TRUE(PathIsRelativeA(""));
  EXPECT_TRUE(PathIsRelativeA(nullptr));
}

TEST(ShellPath, AsksTheFileSystem) {
  vtutils::testing::TempDir temp;
  const std::string file = temp.file("scan.csv");
  vtutils::testing::write_file(file, "1,2\n");
  EXPECT_TRUE(PathFileExistsA(file.c_str()));
  EXPECT_TRUE(PathFileExistsA(temp.str().c_str()));
  EXPECT_FALSE(PathFileExistsA(temp.file("missing").c_str()));
  EXPECT_EQ(PathIsDirectoryA(temp.str(true).c_str()), static_cast<BOOL>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_FALSE(PathIsDirectoryA(file.c_str()));
  EXPECT_FALSE(PathIsDirectoryA(temp.file("missing").c_str()));
  for (const char* unusable : {static_cast<const char*>(nullptr), ""}) {
    EXPECT_FALSE(PathFileExistsA(unusable));
    EXPECT_FALSE(PathIsDirectoryA(unusable));
  }
  // A path of MAX_PATH characters cannot be a MAX_PATH buffer's text, even if it names a folder.
  std::string long_path = temp.str(true);
  long_path.append(MAX_PATH - long_path.size() - 1, '/');
  EXPECT_TRUE(PathIsDirectoryA(long_path.c_str()));
  long_path += '/';
  EXPECT_FALSE(PathFileExistsA(long_path.c_str()));
  EXPECT_FALSE(PathIsDirectoryA(long_path.c_str()));
}

}  // namespace
