// Tests of vtuPersistentFileDialog under each code page of the test table, answered by a scripted
// presenter: names whose trail bytes look like '|' or '\\' in filters and answers, and Vista-style
// selections sized in the bytes the answer takes in the code page.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "testing/code_page_samples.h"
#include "testing/scoped_env.h"
#include "testing/temp_dir.h"
#include "vtutils/persistent_file_dialog.h"

namespace {

namespace fs = std::filesystem;

class PersistentFileDialogCodePage : public ::testing::Test {
 protected:
  PersistentFileDialogCodePage() {
    app_.SetRegistryKey("VTUtilsTests");
    previous_presenter_ = vtplatform::set_file_dialog_presenter(presenter_);
    fs::create_directories(folder_);
  }
  ~PersistentFileDialogCodePage() override {
    vtplatform::set_file_dialog_presenter(previous_presenter_);
    fs::current_path(saved_folder_);
  }

  vtuPersistentFileDialog dialog(DWORD flags, BOOL vista_style) const {
    return vtuPersistentFileDialog("Dialogs", word_.c_str(), nullptr, TRUE, "drw", nullptr, flags,
                                   filter_.c_str(), nullptr, vista_style);
  }

  const std::string word_ = vtutils::testing::code_page_samples().word.ansi;
  const std::string filter_ = word_ + "|*.drw||";
  vtutils::testing::TempDir config_;
  vtutils::testing::TempDir work_;
  vtutils::testing::ScopedEnv config_home_{"XDG_CONFIG_HOME", config_.str()};
  const std::string folder_ = work_.file(word_);
  CWinApp app_{"PersistentFileDialogCodePage"};
  std::shared_ptr<vtplatform::ScriptedFileDialogPresenter> presenter_ =
      std::make_shared<vtplatform::ScriptedFileDialogPresenter>();
  std::shared_ptr<vtplatform::FileDialogPresenter> previous_presenter_;
  fs::path saved_folder_ = fs::current_path();
};

TEST_F(PersistentFileDialogCodePage, OneFileInAFolderOfTheCodePage) {
  presenter_->add_answer({folder_ + "/" + word_ + ".drw"});
  vtuPersistentFileDialog single = dialog(0, FALSE);
  ASSERT_EQ(single.DoModal(), IDOK);
  const auto requests = presenter_->requests();
  ASSERT_EQ(requests.at(0).filters.size(), 1u);
  EXPECT_EQ(requests.at(0).filters.at(0).description, word_);
  EXPECT_EQ(single.GetOFN().nFileOffset, folder_.size() + 1);
  EXPECT_EQ(single.file_extension_offset(), folder_.size() + word_.size() + 2);
  EXPECT_EQ(app_.GetProfileString("Dialogs", word_.c_str(), ""), CString(folder_.c_str()));
}

TEST_F(PersistentFileDialogCodePage, VistaSelectionOf200NamesFitsExactly) {
  std::vector<std::string> paths;
  std::string expected = folder_;
  for (int i = 0; i < 200; ++i) {
    const std::string name = word_ + "-" + std::to_string(i) + ".drw";
    paths.push_back(folder_ + "/" + name);
    expected += '\0' + name;
  }
  expected += '\0';
  presenter_->add_answer(paths);
  vtuPersistentFileDialog vista = dialog(OFN_ALLOWMULTISELECT, TRUE);
  ASSERT_EQ(vista.DoModal(), IDOK) << CommDlgExtendedError();
  // The first full path with its terminator, each further name with its own and the closing
  // terminator: the bytes of the answer as it is written.
  EXPECT_EQ(vista.buffer_size(), expected.size() + 1);
  EXPECT_EQ(std::string(vista.GetOFN().lpstrFile, expected.size() + 1), expected + '\0');
  EXPECT_EQ(vista.GetOFN().nFileOffset, folder_.size() + 1);
}

}  // namespace
