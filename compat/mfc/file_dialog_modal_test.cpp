// CFileDialog: the settings record its constructor fills, the request DoModal builds from it, and
// the answers it writes back, classic and Vista style, with a scripted presenter.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/scoped_env.h"
#include "testing/temp_dir.h"
#include "vtplatform/mfc/file_dialog.h"
#include "vtplatform/mfc/file_dialog_presenter.h"
#include "vtplatform/win32/com_ptr.h"

namespace {

using vtplatform::ComPtr;
using vtplatform::ScriptedFileDialogPresenter;
using vtutils::testing::ScopedEnv;

constexpr DWORD kClassic = FALSE;
constexpr DWORD kVista = TRUE;

// The record's file buffer as text, `size` bytes of it.
std::string file_bytes(const OPENFILENAMEA& record, std::size_t size) {
  return std::string(record.lpstrFile, size);
}

class FileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = vtplatform::set_file_dialog_presenter(script_); }
  void TearDown() override { vtplatform::set_file_dialog_presenter(previous_); }

  std::shared_ptr<ScriptedFileDialogPresenter> script_ =
      std::make_shared<ScriptedFileDialogPresenter>();
  std::shared_ptr<vtplatform::FileDialogPresenter> previous_;
};

TEST_F(FileDialogTest, ConstructorFillsTheRecord) {
  CWnd parent;
  parent.m_hWnd = reinterpret_cast<HWND>(0x1234);
  const std::string long_name(400, 'n');
  CFileDialog dialog(TRUE, "txt", long_name.c_str(), OFN_ALLOWMULTISELECT,
                     "Text (*.txt)|*.txt;*.log|All|*.*||", &parent, 0, kClassic);
  const OPENFILENAMEA& record = dialog.GetOFN();
  EXPECT_EQ(record.lStructSize, sizeof(OPENFILENAMEA));
  EXPECT_EQ(record.hwndOwner, parent.m_hWnd);
  EXPECT_NE(record.hInstance, nullptr);
  EXPECT_EQ(record.nMaxFile, MAX_PATH);
  EXPECT_EQ(std::string(record.lpstrFile), long_name.substr(0, MAX_PATH - 1));
  EXPECT_STREQ(record.lpstrDefExt, "txt");
  EXPECT_EQ(record.Flags, OFN_ALLOWMULTISELECT | OFN_EXPLORER);
  EXPECT_EQ(record.nFilterIndex, 1u);
  constexpr char kFilter[] = "Text (*.txt)\0*.txt;*.log\0All\0*.*\0\0";
  EXPECT_EQ(std::memcmp(record.lpstrFilter, kFilter, sizeof kFilter), 0);

  // No filter leaves the filter fields empty; a filter missing its closing "|" still ends with
  // two NULs; a record size is kept.
  CFileDialog plain(FALSE, nullptr, nullptr, 0, nullptr, nullptr, 100, kClassic);
  EXPECT_EQ(plain.GetOFN().lpstrFilter, nullptr);
  EXPECT_EQ(plain.GetOFN().nFilterIndex, 0u);
  EXPECT_EQ(plain.GetOFN().lStructSize, 100u);
  EXPECT_EQ(plain.GetOFN().hwndOwner, nullptr);
  EXPECT_STREQ(plain.GetOFN().lpstrFile, "");
  CFileDialog open_ended(TRUE, nullptr, nullptr, 0, "All|*.*", nullptr, 0, kClassic);
  EXPECT_EQ(std::memcmp(open_ended.GetOFN().lpstrFilter, "All\0*.*\0\0", 9), 0);
}

TEST_F(FileDialogTest, RequestDescribesTheRecordAtCallTime) {
  CFileDialog dialog(FALSE, "csv", "report", OFN_OVERWRITEPROMPT,
                     "Tables| *.csv ; *.tsv |All|*.*||", nullptr, 0, kClassic);
  dialog.GetOFN().lpstrTitle = "Export";
  dialog.GetOFN().lpstrInitialDir = "/data";
  dialog.GetOFN().nFilterIndex = 2;
  script_->add_cancel();
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(CommDlgExtendedError(), 0u);

  const auto requests = script_->requests();
  ASSERT_EQ(requests.size(), 1u);
  const vtplatform::FileDialogRequest& request = requests[0];
  EXPECT_FALSE(request.open);
  EXPECT_EQ(request.title, "Export");
  EXPECT_EQ(request.initial_folder, "/data");
  EXPECT_EQ(request.initial_name, "report");
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].description, "Tables");
  EXPECT_EQ(request.filters[0].patterns, (std::vector<std::string>{"*.csv", "*.tsv"}));
  EXPECT_EQ(request.filters[1].patterns, (std::vector<std::string>{"*.*"}));
  EXPECT_EQ(request.filter_index, 2u);
  EXPECT_FALSE(request.multiple);
  EXPECT_TRUE(request.confirm_overwrite);
  EXPECT_EQ(request.default_extension, "csv");
}

TEST_F(FileDialogTest, SingleAnswerSetsOffsetsAndFilter) {
  CFileDialog open(TRUE, "txt", nullptr, 0, "A|*.a|B|*.b||", nullptr, 0, kClassic);
  script_->add_answer({"/home/u/notes.v2.txt"}, 2);
  ASSERT_EQ(open.DoModal(), IDOK);
  EXPECT_EQ(CString(open.GetOFN().lpstrFile), "/home/u/notes.v2.txt");
  EXPECT_EQ(open.GetOFN().nFileOffset, 8);
  EXPECT_EQ(open.GetOFN().nFileExtension, 17);
  EXPECT_EQ(open.GetOFN().nFilterIndex, 2u);
  EXPECT_EQ(open.GetPathName(), "/home/u/notes.v2.txt");
  EXPECT_EQ(open.GetFileName(), "notes.v2.txt");

  // A save dialog adds the default extension to a name without one; an open dialog never does,
  // and then the extension offset is that of the terminator.
  CFileDialog save(FALSE, "txt", nullptr, 0, nullptr, nullptr, 0, kClassic);
  script_->add_answer({"/tmp/out"});
  ASSERT_EQ(save.DoModal(), IDOK);
  EXPECT_EQ(save.GetPathName(), "/tmp/out.txt");
  script_->add_answer({"/tmp/out"});
  ASSERT_EQ(open.DoModal(), IDOK);
  EXPECT_EQ(open.GetPathName(), "/tmp/out");
  EXPECT_EQ(open.GetOFN().nFileExtension, 8);
}

TEST_F(FileDialogTest, MultipleAnswerIsFolderThenNames) {
  CFileDialog dialog(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT, nullptr, nullptr, 0, kClassic);
  script_->add_answer({"/d/a.txt", "/d/bb"});
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(file_bytes(dialog.GetOFN(), 12), std::string("/d\0a.txt\0bb\0\0", 12));
  EXPECT_EQ(dialog.GetOFN().nFileOffset, 3);
  EXPECT_EQ(dialog.GetOFN().nFileExtension, 0);
  EXPECT_EQ(dialog.GetPathName(), "/d");
}

// GetStartPosition and GetNextPathName give full paths whatever the answer's form, also where a
// single answer follows a longer one whose bytes still fill the buffer behind it.
TEST_F(FileDialogTest, PathNamesWalkEveryAnswer) {
  CFileDialog dialog(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT, nullptr, nullptr, 0, kClassic);
  const auto walk = [&dialog] {
    std::vector<std::string> paths;
    for (POSITION at = dialog.GetStartPosition(); at != nullptr;) {
      paths.emplace_back(dialog.GetNextPathName(at).GetString());
    }
    return paths;
  };
  EXPECT_TRUE(walk().empty());
  const std::vector<std::vector<std::string>> answers = {
      {"/data/a.txt", "/data/bb"}, {"/d/only.txt"}, {"/a.txt", "/bb"}};
  for (const std::vector<std::string>& answer : answers) {
    script_->add_answer(answer);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(walk(), answer);
  }
  POSITION elsewhere = reinterpret_cast<POSITION>(&dialog);
  EXPECT_EQ(dialog.GetNextPathName(elsewhere), "");
  EXPECT_EQ(elsewhere, nullptr);
}

TEST_F(FileDialogTest, AnswerThatDoesNotFitIsNeverCut) {
  CFileDialog dialog(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT, nullptr, nullptr, 0, kClassic);
  std::vector<char> buffer(12, 'x');
  dialog.GetOFN().lpstrFile = buffer.data();
  dialog.GetOFN().nMaxFile = static_cast<DWORD>(buffer.size());
  // "/dir\0one\0two\0\0" needs 14 characters.
  script_->add_answer({"/dir/one", "/dir/two"});
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 14);
  EXPECT_EQ(buffer[1], 0);
  EXPECT_EQ(std::string(buffer.begin() + 2, buffer.end()), std::string(10, 'x'));

  // An answer of exactly the buffer's size fits, and the error is cleared.
  script_->add_answer({"/dir/eight"});
  buffer.resize(11);
  dialog.GetOFN().lpstrFile = buffer.data();
  dialog.GetOFN().nMaxFile = 11;
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(dialog.GetPathName(), "/dir/eight");
}

TEST_F(FileDialogTest, AnswersNoDialogGivesAreRefused) {
  const std::vector<std::vector<std::string>> bad = {
      {}, {"relative.txt"}, {"/d/"}, {"/a/x", "/b/y"}, {std::string("/d/a\0b", 6)}};
  for (const auto& paths : bad) {
    CFileDialog dialog(TRUE, nullptr, "keep", OFN_ALLOWMULTISELECT, nullptr, nullptr, 0, kClassic);
    script_->add_answer(paths);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(dialog.GetPathName(), "keep");
  }
  CFileDialog single(TRUE, nullptr, nullptr, 0, nullptr, nullptr, 0, kClassic);
  script_->add_answer({"/d/a", "/d/b"});
  EXPECT_EQ(single.DoModal(), IDCANCEL);
}

// Rejects the first `rejections` answers, and in Vista style reads the selection each time.
class CheckingDialog : public CFileDialog {
 public:
  CheckingDialog(DWORD flags, BOOL vista) : CFileDialog(TRUE, nullptr, nullptr, flags, nullptr,
                                                        nullptr, 0, vista) {}
  int rejections = 0;
  std::vector<std::string> offered;             // lpstrFile when OnFileNameOK ran
  std::vector<std::wstring> selected_names;     // the selection's display names
  DWORD grow_to = 0;                            // grows the buffer to this size when set
  std::vector<char> grown;

 protected:
  BOOL OnFileNameOK() override {
    offered.emplace_back(GetPathName());
    if (auto dialog = ComPtr<IFileOpenDialog>::adopt(GetIFileOpenDialog())) {
      ComPtr<IShellItemArray> items;
      if (dialog->GetSelectedItems(items.put()) == S_OK) {
        DWORD count = 0;
        items->GetCount(&count);
        for (DWORD i = 0; i < count; ++i) {
          ComPtr<IShellItem> item;
          items->GetItemAt(i, item.put());
          LPWSTR name = nullptr;
          item->GetDisplayName(i == 0 ? SIGDN_FILESYSPATH : SIGDN_NORMALDISPLAY, &name);
          selected_names.emplace_back(name);
          CoTaskMemFree(name);
        }
      }
    }
    if (grow_to != 0 && GetOFN().nMaxFile < grow_to) {
      grown.assign(grow_to, '\0');
      GetOFN().lpstrFile = grown.data();
      GetOFN().nMaxFile = grow_to;
      UpdateOFNFromShellDialog();
    }
    return rejections-- > 0;
  }
};

// The tool asked about "report", not "report.csv": the dialog shows the full name again, so that
// overwriting the existing file is asked about.
TEST_F(FileDialogTest, DefaultExtensionNamingAnExistingFileIsShownAgain) {
  vtutils::testing::TempDir folder;
  vtutils::testing::write_file(folder.file("report.csv"), "old");
  script_->add_answer({folder.file("report")});
  script_->add_answer({folder.file("report.csv")});
  CFileDialog dialog(FALSE, "csv", nullptr, OFN_OVERWRITEPROMPT, nullptr, nullptr, 0, kClassic);
  ASSERT_EQ(dialog.DoModal(), IDOK);
  const auto requests = script_->requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].initial_name, folder.file("report.csv"));
  EXPECT_STREQ(dialog.GetPathName(), folder.file("report.csv").c_str());

  script_->add_answer({folder.file("fresh")});
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_STREQ(dialog.GetPathName(), folder.file("fresh.csv").c_str());
  EXPECT_EQ(script_->requests().size(), 3u);
}

TEST_F(FileDialogTest, RejectedAnswerAsksAgain) {
  CheckingDialog dialog(0, kClassic);
  dialog.rejections = 1;
  script_->add_answer({"/x/first"});
  script_->add_answer({"/x/second"});
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.offered, (std::vector<std::string>{"/x/first", "/x/second"}));
  EXPECT_EQ(dialog.GetPathName(), "/x/second");
  EXPECT_EQ(script_->requests().size(), 2u);

  // A cancel after a rejection ends the dialog.
  dialog.rejections = 1;
  script_->add_answer({"/x/third"});
  script_->add_cancel();
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(FileDialogTest, VistaSelectionIsReadableWhileConfirming) {
  CheckingDialog dialog(OFN_ALLOWMULTISELECT, kVista);
  script_->add_answer({"/v/é.txt", "/v/b"});
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.selected_names, (std::vector<std::wstring>{L"/v/é.txt", L"b"}));
  EXPECT_EQ(file_bytes(dialog.GetOFN(), 13), std::string("/v\0é.txt\0b\0\0", 13));

  // Outside OnFileNameOK only the accepted results are there, also after the dialog is gone.
  ComPtr<IFileOpenDialog> held = ComPtr<IFileOpenDialog>::adopt(dialog.GetIFileOpenDialog());
  ComPtr<IShellItemArray> items;
  EXPECT_EQ(held->GetSelectedItems(items.put()), E_UNEXPECTED);
  {
    CheckingDialog gone(0, kVista);
    held = ComPtr<IFileOpenDialog>::adopt(gone.GetIFileOpenDialog());
    EXPECT_EQ(held->GetResults(items.put()), E_UNEXPECTED);
    script_->add_answer({"/v/kept"});
    ASSERT_EQ(gone.DoModal(), IDOK);
  }
  ASSERT_EQ(held->GetResults(items.put()), S_OK);
  DWORD count = 0;
  EXPECT_EQ(items->GetCount(&count), S_OK);
  EXPECT_EQ(count, 1u);

  // Classic and save dialogs have no selection interface.
  CheckingDialog classic(0, kClassic);
  EXPECT_EQ(classic.GetIFileOpenDialog(), nullptr);
  CFileDialog save(FALSE, nullptr, nullptr, 0, nullptr, nullptr, 0, kVista);
  EXPECT_EQ(save.GetIFileOpenDialog(), nullptr);
}

TEST_F(FileDialogTest, VistaAnswerFitsOnceTheBufferGrows) {
  const std::string name(200, 'n');
  const std::vector<std::string> answer = {"/big/" + name + "1", "/big/" + name + "2"};
  const DWORD needed = 5 + 2 * 202 + 1;

  CheckingDialog small(OFN_ALLOWMULTISELECT, kVista);
  script_->add_answer(answer);
  EXPECT_EQ(small.DoModal(), IDCANCEL);
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  WORD reported = 0;
  std::memcpy(&reported, small.GetOFN().lpstrFile, sizeof reported);
  EXPECT_EQ(reported, needed);
  // The selection was there while the user confirmed, though the record could not take it.
  EXPECT_EQ(small.selected_names.size(), 2u);

  CheckingDialog grows(OFN_ALLOWMULTISELECT, kVista);
  grows.grow_to = needed;
  script_->add_answer(answer);
  EXPECT_EQ(grows.DoModal(), IDOK);
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(file_bytes(grows.GetOFN(), needed),
            std::string("/big\0", 5) + name + "1" + '\0' + name + "2" + '\0' + '\0');
}

TEST_F(FileDialogTest, NoPresenterAndNoDisplayCancels) {
  vtplatform::set_file_dialog_presenter(nullptr);
  ScopedEnv display("DISPLAY", std::nullopt);
  ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
  CFileDialog dialog(TRUE, nullptr, "name", 0, nullptr, nullptr, 0, kClassic);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(dialog.GetPathName(), "name");
}

}  // namespace
