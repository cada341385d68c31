// Tests of vtuFileUtils and vtTmpFilename under each code page of the test table, on names whose
// last trail byte looks like '\\': the path family, free names and temporary names.
#include <gtest/gtest.h>

#include <string>

#include "testing/code_page_samples.h"
#include "testing/scoped_env.h"
#include "testing/temp_dir.h"
#include "vtutils/file_utils.h"
#include "vtutils/tmp_filename.h"

namespace {

using vtutils::testing::code_page_samples;
using vtutils::testing::ScopedEnv;
using vtutils::testing::TempDir;

std::string str(const CString& text) { return text.GetString(); }
CString cstr(const std::string& text) { return CString(text.c_str()); }

TEST(FileUtilsCodePage, PathFamilyKeepsCharactersWhole) {
  const std::string w = code_page_samples().word.ansi;
  CString renamed = cstr("/a/" + w + ".txt");
  EXPECT_TRUE(vtuFileUtils::path_rename_extension(renamed, ".csv"));
  const struct {
    CString result;
    std::string expected;
  } cases[] = {
      {vtuFileUtils::path_find_file_name(cstr("data\\" + w + ".txt")), w + ".txt"},
      {vtuFileUtils::path_remove_file_name(cstr("data/" + w)), "data"},
      {vtuFileUtils::path_append(cstr("data/" + w), "x.txt"), "data/" + w + "/x.txt"},
      {vtuFileUtils::path_combine(cstr("/data/" + w), "x.txt"), "/data/" + w + "/x.txt"},
      {vtuFileUtils::path_combine(cstr("/data/" + w + "/sub"), "../x"), "/data/" + w + "/x"},
      {vtuFileUtils::path_add_extension(cstr(w), ".txt"), w + ".txt"},
      {vtuFileUtils::path_remove_extension(cstr(w + ".txt")), w},
      {vtuFileUtils::path_strip_path_and_remove_extension(cstr(w + "\\" + w + ".txt")), w},
      {renamed, "/a/" + w + ".csv"},
      {vtuFileUtils::find_first_available_file_path("/nowhere", cstr(w), ".txt", 1),
       "/nowhere/" + w + "1.txt"},
      {vtuFileUtils::find_first_available_file_path_windows_style("/nowhere", cstr(w), ".txt"),
       "/nowhere/" + w + ".txt"},
  };
  for (const auto& [result, expected] : cases) EXPECT_EQ(str(result), expected);
}

TEST(FileUtilsCodePage, TemporaryNamesTakeWholeCharactersOfThePrefix) {
  const auto& word = code_page_samples().word;
  const TempDir tmp;
  const ScopedEnv tmpdir("TMPDIR", tmp.str());
  const ScopedEnv tmp_variable("TMP", tmp.str());
  const std::string folder = tmp.str(true);

  const CString prefix = cstr(word.ansi);
  const CString preferred = cstr(word.ansi + std::string(".txt"));
  const std::string free = str(vtuFileUtils::create_temp_file_path(prefix, preferred));
  EXPECT_EQ(free, folder + word.ansi + ".txt");
  vtutils::testing::write_file(free, "");
  // Taken: a fresh name of the platform, <folder><first three characters><hex>.tmp.
  const std::string fresh = str(vtuFileUtils::create_temp_file_path(prefix, preferred));
  const std::string three = str(CString(std::wstring(word.wide, 3).c_str()));
  EXPECT_TRUE(fresh.starts_with(folder + three) && fresh.ends_with(".tmp")) << fresh;

  const std::string name = static_cast<const CString&>(vtTmpFilename(prefix)).GetString();
  EXPECT_TRUE(name.starts_with(folder + word.ansi) && name.ends_with("txt")) << name;
}

}  // namespace
