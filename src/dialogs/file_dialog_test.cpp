// Tests of vtuFileDialog's own logic: the texts it keeps in copies of its own, the file name
// buffer rules, the flag mask and the end it gives a filter. The record's fields and the dialog
// run belong to CFileDialog and are tested with it.
#include "vtutils/file_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "vtplatform/mfc/file_dialog_presenter.h"

namespace {

vtuFileDialog open_dialog(const char* file_name = nullptr) {
  return vtuFileDialog(TRUE, "txt", file_name, OFN_HIDEREADONLY, "Text (*.txt)|*.txt||", nullptr, 0,
                       FALSE);
}

TEST(FileDialog, TextsStartAsTheRecordsAndEachSetterKeepsItsOwnCopy) {
  vtuFileDialog dialog = open_dialog("notes.txt");
  EXPECT_STREQ(dialog.filename(), "notes.txt");
  EXPECT_STREQ(dialog.filter(), "Text (*.txt)");  // the record's list, up to its first NUL
  EXPECT_STREQ(dialog.initial_dir(), "");
  EXPECT_STREQ(dialog.template_name(), "");
  {
    CString title("Choose a drawing");
    dialog.set_title(title);
    title = "changed";
  }
  dialog.set_initial_dir(CString("/srv/drawings"));
  dialog.set_file_extension(CString("drw"));
  dialog.set_template_name(CString("IDD_PREVIEW"));
  EXPECT_STREQ(dialog.title(), "Choose a drawing");
  EXPECT_STREQ(dialog.initial_dir(), "/srv/drawings");
  EXPECT_STREQ(dialog.file_extension(), "drw");
  EXPECT_STREQ(dialog.template_name(), "IDD_PREVIEW");
}

TEST(FileDialog, AFilterWithoutItsEndIsNotReadPast) {
  vtuFileDialog dialog = open_dialog();
  CString listed;
  std::memcpy(listed.GetBufferSetLength(9), "Any\0*.*\0\0", 9);
  dialog.set_filter(listed);
  EXPECT_EQ(std::memcmp(dialog.GetOFN().lpstrFilter, "Any\0*.*\0\0", 9), 0);  // unconverted

  dialog.set_filter(CString("Text (*.txt)|*.txt|"));  // the framework's form, not the system's
  auto script = std::make_shared<vtplatform::ScriptedFileDialogPresenter>();
  script->add_cancel();
  const auto previous = vtplatform::set_file_dialog_presenter(script);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  vtplatform::set_file_dialog_presenter(previous);
  ASSERT_EQ(script->requests().size(), 1u);
  EXPECT_EQ(script->requests()[0].filters.size(), 1u);
}

TEST(FileDialog, FileNameBufferFollowsTheNameOrTheSizeGiven) {
  vtuFileDialog dialog = open_dialog();
  dialog.set_filename(CString("abc"));
  EXPECT_EQ(dialog.buffer_size(), 3u);
  EXPECT_STREQ(dialog.filename(), "abc");

  EXPECT_STREQ(dialog.set_filename_size(1000), "abc");
  EXPECT_EQ(dialog.buffer_size(), 1000u);
  EXPECT_STREQ(dialog.filename(), "abc");
  // The whole size is writable, as the dialog writes an answer of up to that many characters.
  std::memset(dialog.GetOFN().lpstrFile, 'x', 1000);
  dialog.GetOFN().lpstrFile[999] = '\0';
  EXPECT_EQ(dialog.filename().GetLength(), 999);

  dialog.set_filename(CString("/tmp/b"));
  EXPECT_EQ(dialog.buffer_size(), 6u);
  EXPECT_STREQ(dialog.set_filename_size(2), "/tmp/b");  // a smaller size keeps the text
  try {
    dialog.set_filename_size(0x80000000u);
    ADD_FAILURE() << "a buffer of 2 GiB was handed out";
  } catch (CMemoryException* error) {
    error->Delete();
  }
  EXPECT_EQ(dialog.buffer_size(), 2u);
}

TEST(FileDialog, AFlagMaskMatchesAnyOfItsBits) {
  vtuFileDialog dialog = open_dialog();
  dialog.set_flags(OFN_FILEMUSTEXIST);
  EXPECT_TRUE(dialog.contains_flag(OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT));
  EXPECT_FALSE(dialog.contains_flag(OFN_ALLOWMULTISELECT));
  dialog.add_flag(OFN_ALLOWMULTISELECT);
  EXPECT_EQ(dialog.flags(), OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT);
}

}  // namespace
