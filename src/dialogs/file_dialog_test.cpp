// Tests of vtuFileDialog's typed settings: what the constructor leaves in the record, the owned
// texts, the file name buffer rules and the flags.
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

TEST(FileDialog, ConstructorFillsTheRecordAndLeavesOwnTextsUnset) {
  vtuFileDialog dialog = open_dialog("notes.txt");
  EXPECT_STREQ(dialog.filename(), "notes.txt");
  EXPECT_EQ(dialog.buffer_size(), MAX_PATH);
  EXPECT_STREQ(dialog.file_extension(), "txt");
  EXPECT_TRUE(dialog.contains_flag(OFN_HIDEREADONLY));
  // The record holds the NUL-separated form of the filter.
  EXPECT_EQ(std::memcmp(dialog.GetOFN().lpstrFilter, "Text (*.txt)\0*.txt\0\0", 20), 0);
  EXPECT_STREQ(dialog.filter(), "Text (*.txt)");
  EXPECT_STREQ(dialog.initial_dir(), "");
  EXPECT_STREQ(dialog.title(), "");
  EXPECT_STREQ(dialog.template_name(), "");
}

TEST(FileDialog, EachTextSetterKeepsItsOwnCopy) {
  vtuFileDialog dialog = open_dialog();
  {
    CString title("Choose a drawing");
    dialog.set_title(title);
    title = "changed";
  }
  dialog.set_initial_dir(CString("/srv/drawings"));
  dialog.set_file_extension(CString("drw"));
  dialog.set_template_name(CString("IDD_PREVIEW"));
  CString filter;
  std::memcpy(filter.GetBufferSetLength(12), "Any\0*.*\0\0\0\0\0", 12);
  dialog.set_filter(filter);

  EXPECT_STREQ(dialog.title(), "Choose a drawing");
  EXPECT_STREQ(dialog.initial_dir(), "/srv/drawings");
  EXPECT_STREQ(dialog.file_extension(), "drw");
  EXPECT_STREQ(dialog.template_name(), "IDD_PREVIEW");
  EXPECT_EQ(std::memcmp(dialog.GetOFN().lpstrFilter, "Any\0*.*\0\0", 9), 0);  // unconverted

  dialog.set_title(CString("Again"));
  EXPECT_STREQ(dialog.title(), "Again");
  EXPECT_STREQ(dialog.initial_dir(), "/srv/drawings");
}

TEST(FileDialog, AFilterWithoutItsEndIsNotReadPast) {
  vtuFileDialog dialog = open_dialog();
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

TEST(FileDialog, FlagsAndNumberSettings) {
  vtuFileDialog dialog = open_dialog();
  dialog.set_flags(OFN_FILEMUSTEXIST);
  EXPECT_TRUE(dialog.contains_flag(OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT));
  EXPECT_FALSE(dialog.contains_flag(OFN_ALLOWMULTISELECT));
  dialog.add_flag(OFN_ALLOWMULTISELECT);
  EXPECT_EQ(dialog.flags(), OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT);
  dialog.set_flags(OFN_EXPLORER);
  EXPECT_EQ(dialog.flags(), OFN_EXPLORER);

  const LPOFNHOOKPROC hook = [](HWND, UINT, WPARAM, LPARAM) -> UINT_PTR { return 0; };
  dialog.set_hook(hook);
  dialog.set_filter_index(3);
  dialog.set_cust_filter_size(40);
  dialog.set_file_extension_offset(7);
  dialog.set_instance(nullptr);
  EXPECT_EQ(dialog.hook(), hook);
  EXPECT_FALSE(dialog.contains_flag(OFN_ENABLEHOOK));
  EXPECT_EQ(dialog.filter_index(), 3u);
  EXPECT_EQ(dialog.cust_filter_size(), 40u);
  EXPECT_EQ(dialog.file_extension_offset(), 7);
  EXPECT_EQ(dialog.instance(), nullptr);
}

}  // namespace
