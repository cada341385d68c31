// Files and folders: creation, enumeration patterns, copying, deletion, the current directory,
// full and final path names, module file names and the known folders.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "testing/scoped_env.h"
#include "testing/temp_dir.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/module.h"
#include "vtplatform/win32/shell_folder.h"

namespace {

using vtutils::testing::read_file;
using vtutils::testing::ScopedEnv;
using vtutils::testing::TempDir;
using vtutils::testing::write_file;

// The last error of a call that returned FALSE; ERROR_SUCCESS when it succeeded.
DWORD error_of(BOOL result) { return result ? ERROR_SUCCESS : GetLastError(); }

std::set<std::string> find_all(const std::string& pattern) {
  std::set<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.insert(data.cFileName);
  while (FindNextFileA(find, &data));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(find));
  return names;
}

TEST(FileTest, CreateDirectoryReportsWhatIsInTheWay) {
  TempDir dir;
  EXPECT_TRUE(CreateDirectoryA(dir.file("new").c_str(), nullptr));
  EXPECT_EQ(error_of(CreateDirectoryA(dir.file("new").c_str(), nullptr)), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(error_of(CreateDirectoryA(dir.file("missing/new").c_str(), nullptr)),
            ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(CreateDirectoryA("", nullptr));
  EXPECT_EQ(GetFileAttributesA(dir.file("new").c_str()), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA(dir.file("nothing").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(FileTest, FindMatchesWindowsWildcards) {
  TempDir dir;
  for (const char* name : {"a.txt", "b.TXT", "noext", "two.dots.csv", "x y.txt"}) {
    write_file(dir.file(name), "");
  }
  const std::string folder = dir.str(true);
  const std::set<std::string> all = {".", "..", "a.txt", "b.TXT", "noext", "two.dots.csv", "x y.txt"};
  EXPECT_EQ(find_all(folder + "*.*"), all);
  EXPECT_EQ(find_all(folder + "*"), all);
  EXPECT_EQ(find_all(folder + "*.txt"), (std::set<std::string>{"a.txt", "x y.txt"}));
  EXPECT_EQ(find_all(folder + "?.*"), (std::set<std::string>{".", "..", "a.txt", "b.TXT"}));
  EXPECT_EQ(find_all(folder + "*."), (std::set<std::string>{".", "..", "noext"}));
  EXPECT_EQ(find_all(folder + "two*csv"), (std::set<std::string>{"two.dots.csv"}));

  WIN32_FIND_DATAA data;
  EXPECT_EQ(FindFirstFileA((folder + "*.pdf").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileA((folder + "missing/*.*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(FindNextFileA(nullptr, &data));
  EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
}

TEST(FileTest, FindDescribesEntries) {
  TempDir dir;
  write_file(dir.file("data.bin"), std::string(1234, 'x'));
  std::filesystem::create_directory(dir.path() / "sub");
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(dir.file("data.bin").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 1234u);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
  EXPECT_GT(data.ftLastWriteTime.dwHighDateTime, 0u);
  FindClose(find);
  find = FindFirstFileA(dir.file("sub").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  FindClose(find);
}

TEST(FileTest, CopyReplacesAtomicallyAndKeepsRightsAndTime) {
  TempDir dir;
  const std::string source = dir.file("source.txt");
  const std::string target = dir.file("target.txt");
  write_file(source, "new content");
  chmod(source.c_str(), 0640);
  write_file(target, "old");

  EXPECT_EQ(error_of(CopyFileA(source.c_str(), target.c_str(), TRUE)), ERROR_FILE_EXISTS);
  EXPECT_EQ(read_file(target), "old");

  ASSERT_TRUE(CopyFileA(source.c_str(), target.c_str(), FALSE));
  EXPECT_EQ(read_file(target), "new content");
  struct stat from {}, to {};
  stat(source.c_str(), &from);
  stat(target.c_str(), &to);
  EXPECT_EQ(to.st_mode & 07777, 0640u);
  EXPECT_EQ(to.st_mtim.tv_sec, from.st_mtim.tv_sec);
  // No temporary file is left beside the target.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(FileTest, CopyAcrossFileSystemsGoesThroughABuffer) {
  // The kernel's copy does not cross from tmpfs to another file system.
  TempDir dir;
  struct stat shared_memory {}, temporary {};
  if (stat("/dev/shm", &shared_memory) != 0 || stat(dir.str().c_str(), &temporary) != 0 ||
      shared_memory.st_dev == temporary.st_dev) {
    GTEST_SKIP() << "needs /dev/shm on a file system of its own";
  }
  const std::string source = "/dev/shm/vtutils-copy-" + std::to_string(::getpid());
  std::string content(200000, '\0');  // three times the buffer and a part
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  write_file(source, content);
  const BOOL copied = CopyFileA(source.c_str(), dir.file("copy").c_str(), FALSE);
  std::filesystem::remove(source);
  ASSERT_TRUE(copied);
  EXPECT_EQ(read_file(dir.file("copy")), content);
}

TEST(FileTest, CopyRefusesFoldersAndMissingFiles) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "folder");
  write_file(dir.file("file"), "x");
  EXPECT_EQ(error_of(CopyFileA(dir.file("folder").c_str(), dir.file("copy").c_str(), FALSE)),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(error_of(CopyFileA(dir.file("file").c_str(), dir.file("folder").c_str(), FALSE)),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(error_of(CopyFileA(dir.file("none").c_str(), dir.file("copy").c_str(), FALSE)),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(error_of(CopyFileA(dir.file("file").c_str(), dir.file("no/copy").c_str(), FALSE)),
            ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "copy"));
}

TEST(FileTest, DeleteRemovesFilesOnly) {
  TempDir dir;
  write_file(dir.file("file"), "x");
  std::filesystem::create_directory(dir.path() / "folder");
  EXPECT_TRUE(DeleteFileA(dir.file("file").c_str()));
  EXPECT_EQ(error_of(DeleteFileA(dir.file("file").c_str())), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(error_of(DeleteFileA(dir.file("folder").c_str())), ERROR_ACCESS_DENIED);
}

TEST(FileTest, CurrentDirectoryAndFullPaths) {
  TempDir dir;
  char saved[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.str().c_str()));
  char current[MAX_PATH];
  const std::string expected = std::filesystem::canonical(dir.path()).string();
  EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, current), expected.size());
  EXPECT_EQ(current, expected);
  EXPECT_EQ(GetCurrentDirectoryA(3, current), expected.size() + 1);

  wchar_t full[MAX_PATH];
  wchar_t* file_part = nullptr;
  const std::wstring wide_dir(expected.begin(), expected.end());
  EXPECT_EQ(GetFullPathNameW(L"a/./b/../c.txt", MAX_PATH, full, &file_part),
            wide_dir.size() + 8);
  EXPECT_EQ(std::wstring(full), wide_dir + L"/a/c.txt");
  EXPECT_EQ(std::wstring(file_part), L"c.txt");
  EXPECT_EQ(GetFullPathNameW(L"/x//y/../../..", MAX_PATH, full, nullptr), 1u);
  EXPECT_EQ(std::wstring(full), L"/");
  EXPECT_EQ(GetFullPathNameW(L"/opt/app/", MAX_PATH, full, &file_part), 9u);
  EXPECT_EQ(file_part, nullptr);
  EXPECT_EQ(GetFullPathNameW(L"/opt/app", 4, full, nullptr), 9u);
  EXPECT_EQ(GetFullPathNameW(L"", MAX_PATH, full, nullptr), 0u);

  write_file(dir.file("file"), "");
  EXPECT_EQ(error_of(SetCurrentDirectoryA(dir.file("file").c_str())), ERROR_DIRECTORY);
  EXPECT_EQ(error_of(SetCurrentDirectoryA(dir.file("none").c_str())), ERROR_FILE_NOT_FOUND);
  ASSERT_TRUE(SetCurrentDirectoryA(saved));
}

TEST(FileTest, FinalPathResolvesLinks) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "real" / "sub");
  write_file(dir.path() / "real" / "sub" / "f", "");
  std::filesystem::create_directory_symlink(dir.path() / "real", dir.path() / "link");
  const std::string through_link = dir.file("link/sub/../sub/f");
  const std::wstring wide(through_link.begin(), through_link.end());
  HANDLE file = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  wchar_t final_path[MAX_PATH];
  const std::string expected = std::filesystem::canonical(dir.path() / "real/sub/f").string();
  EXPECT_EQ(GetFinalPathNameByHandleW(file, final_path, MAX_PATH, FILE_NAME_NORMALIZED),
            expected.size());
  EXPECT_EQ(std::wstring(final_path), std::wstring(expected.begin(), expected.end()));
  EXPECT_EQ(GetFinalPathNameByHandleW(file, final_path, 2, 0), expected.size() + 1);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(error_of(CloseHandle(file)), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetFinalPathNameByHandleW(file, final_path, MAX_PATH, 0), 0u);
}

TEST(FileTest, CreateFileDispositions) {
  TempDir dir;
  const std::string name = dir.file("f");
  HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  CloseHandle(file);
  file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  CloseHandle(file);
  EXPECT_EQ(CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, CREATE_NEW, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(CreateFileA(dir.str().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, 9, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(FileTest, ModuleFileNames) {
  char program[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
  EXPECT_EQ(std::string(program, length), std::filesystem::read_symlink("/proc/self/exe").string());
  EXPECT_EQ(GetModuleFileNameA(GetModuleHandleA(nullptr), program, MAX_PATH), length);

  wchar_t library[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(GetModuleHandleA("libc"), library, MAX_PATH), 0u);
  EXPECT_EQ(library[0], L'/');
  EXPECT_NE(std::wstring(library).find(L"libc.so"), std::wstring::npos);

  char cut[5];
  EXPECT_EQ(GetModuleFileNameA(nullptr, cut, sizeof cut), sizeof cut);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(cut), std::string(program, 4));
  int not_a_module = 0;
  EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(&not_a_module), program, MAX_PATH), 0u);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

// Points HOME and XDG_CONFIG_HOME at a temp folder for one test.
class KnownFolderTest : public ::testing::Test {
 protected:
  KnownFolderTest() { std::filesystem::create_directory(home_.path() / "config"); }

  TempDir home_;
  ScopedEnv home_env_{"HOME", home_.str()};
  ScopedEnv config_env_{"XDG_CONFIG_HOME", home_.str() + "/config"};
};

TEST_F(KnownFolderTest, DefaultsWithoutUserDirs) {
  char path[MAX_PATH];
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, path), S_FALSE);
  EXPECT_EQ(std::string(path), home_.str() + "/Documents");
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_DOCUMENTS | CSIDL_FLAG_CREATE, nullptr, 0, path),
            S_OK);
  EXPECT_EQ(std::string(path), home_.str() + "/Public");
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_EQ(SHGetFolderPathA(nullptr, 0x1A, nullptr, 0, path), E_INVALIDARG);
}

TEST_F(KnownFolderTest, UserDirsEntries) {
  write_file(home_.path() / "config/user-dirs.dirs",
             "# written by xdg-user-dirs-update\n"
             "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente mit Leerzeichen\"\n"
             "XDG_PUBLICSHARE_DIR=\"/srv/\\\"shared\\\"/\"\n"
             "XDG_DESKTOP_DIR=relative\n");
  char path[MAX_PATH];
  SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path);
  EXPECT_EQ(std::string(path), home_.str() + "/Dokumente mit Leerzeichen");
  SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_DEFAULT, path);
  EXPECT_EQ(std::string(path), home_.str() + "/Documents");
  SHGetFolderPathA(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, 0, path);
  EXPECT_EQ(std::string(path), "/srv/\"shared\"");
}

}  // namespace
