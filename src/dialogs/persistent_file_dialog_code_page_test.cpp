// Tests of vtuPersistentFolder and vtuPersistentFileDialog under each code page of the test
// table: whole dialog runs answered by a scripted presenter, with the profile in a registry store
// under a temporary configuration folder and the current directory in a temporary folder. Folder
// and file names are in the code page's script, with trail bytes that look like '|' and '\'.
#include "vtutils/persistent_file_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "testing/code_page_samples.h"
#include "testing/scoped_env.h"
#include "testing/temp_dir.h"
#include "vtplatform/mfc/file_dialog_presenter.h"
#include "vtutils/persistent_folder.h"
#include "vtutils/platform/framework.h"

namespace {

namespace fs = std::filesystem;
using vtutils::testing::ScopedEnv;
using vtutils::testing::TempDir;

class PersistentFileDialogCodePage : public ::testing::Test {
 protected:
  PersistentFileDialogCodePage() {
    app_.SetRegistryKey("VTUtilsTests");
    previous_presenter_ = vtplatform::set_file_dialog_presenter(presenter_);
    fs::current_path(work_.path());
  }
  ~PersistentFileDialogCodePage() override {
    vtplatform::set_file_dialog_presenter(previous_presenter_);
    fs::current_path(saved_folder_);
  }

  std::string folder(const std::string& name) const {
    fs::create_directories(work_.path() / name);
    return work_.file(name);
  }
  std::string stored() { return app_.GetProfileString("Dialogs", "Drawings", "none").GetString(); }
  const vtplatform::FileDialogRequest& request(std::size_t index) const {
    requests_ = presenter_->requests();
    return requests_.at(index);
  }
  // A dialog on the "Dialogs"/"Drawings" profile value, with one filter named by the word.
  vtuPersistentFileDialog dialog(DWORD flags, BOOL vista_style,
                                 const char* default_folder = nullptr) const {
    return vtuPersistentFileDialog("Dialogs", "Drawings", default_folder, TRUE, "drw", nullptr,
                                   flags, filter_.c_str(), nullptr, vista_style);
  }

  const std::string word_ = vtutils::testing::code_page_samples().word.ansi;
  const std::string filter_ = word_ + "|*.drw||";
  TempDir config_;
  TempDir work_;
  ScopedEnv config_home_{"XDG_CONFIG_HOME", config_.str()};
  CWinApp app_{"PersistentFileDialogCodePage"};
  std::shared_ptr<vtplatform::ScriptedFileDialogPresenter> presenter_ =
      std::make_shared<vtplatform::ScriptedFileDialogPresenter>();
  std::shared_ptr<vtplatform::FileDialogPresenter> previous_presenter_;
  fs::path saved_folder_ = fs::current_path();
  mutable std::vector<vtplatform::FileDialogRequest> requests_;
};

TEST_F(PersistentFileDialogCodePage, FirstRunStoresTheChosenFilesFolderAndTheNextRunOpensThere) {
  const std::string drawings = folder(word_);
  presenter_->add_answer({drawings + "/" + word_ + ".drw"});
  vtuPersistentFileDialog first = dialog(0, FALSE);
  EXPECT_EQ(first.DoModal(), IDOK);
  EXPECT_EQ(request(0).initial_folder, work_.str());
  ASSERT_EQ(request(0).filters.size(), 1u);
  EXPECT_EQ(request(0).filters[0].description, word_);
  EXPECT_EQ(first.GetOFN().nFileOffset, drawings.size() + 1);
  EXPECT_EQ(first.file_extension_offset(), drawings.size() + word_.size() + 2);
  EXPECT_EQ(stored(), drawings);
  EXPECT_EQ(fs::current_path(), drawings);

  fs::current_path(work_.path());
  presenter_->add_cancel();
  EXPECT_EQ(dialog(0, FALSE).DoModal(), IDCANCEL);
  EXPECT_EQ(request(1).initial_folder, drawings);
  EXPECT_EQ(stored(), drawings);
}

TEST_F(PersistentFileDialogCodePage, DeletedFolderFallsBackAndIsOverwrittenEvenOnCancel) {
  app_.WriteProfileString("Dialogs", "Drawings", folder("gone").c_str());
  fs::remove(work_.path() / "gone");
  presenter_->add_cancel();
  EXPECT_EQ(dialog(0, FALSE, folder("default").c_str()).DoModal(), IDCANCEL);
  EXPECT_EQ(request(0).initial_folder, work_.str());
  EXPECT_EQ(stored(), work_.str());
}

TEST_F(PersistentFileDialogCodePage, DefaultFolderServesWhileNothingIsStored) {
  const std::string fallback = folder("default");
  presenter_->add_cancel();
  EXPECT_EQ(dialog(0, FALSE, fallback.c_str()).DoModal(), IDCANCEL);
  EXPECT_EQ(request(0).initial_folder, fallback);
  EXPECT_EQ(stored(), fallback);
}

TEST_F(PersistentFileDialogCodePage, ClassicMultipleSelectionOpensWithRoomFor26101Characters) {
  const std::string set = folder("set");
  presenter_->add_answer({set + "/a.drw", set + "/b.drw"});
  vtuPersistentFileDialog classic = dialog(OFN_ALLOWMULTISELECT, FALSE);
  ASSERT_EQ(classic.DoModal(), IDOK);
  EXPECT_EQ(classic.buffer_size(), 26101u);
  EXPECT_EQ(stored(), set);

  presenter_->add_cancel();
  vtuPersistentFileDialog larger = dialog(OFN_ALLOWMULTISELECT, FALSE);
  larger.set_filename_size(30000);
  larger.DoModal();
  EXPECT_EQ(larger.buffer_size(), 30000u);  // never shrinks
}

TEST_F(PersistentFileDialogCodePage, VistaSelectionGrowsTheBufferToExactlyItsSize) {
  const std::string set = folder(word_);
  std::vector<std::string> paths;
  std::string expected = set;
  for (int i = 0; i < 200; ++i) {
    const std::string name = word_ + "-" + std::to_string(i) + ".drw";
    paths.push_back(set + "/" + name);
    expected += '\0' + name;
  }
  expected += '\0';
  presenter_->add_answer(paths);
  vtuPersistentFileDialog vista = dialog(OFN_ALLOWMULTISELECT, TRUE);
  ASSERT_EQ(vista.DoModal(), IDOK) << CommDlgExtendedError();
  // The first full path with its terminator, each further name with its own, and the closing
  // terminator: the bytes of the answer as it is written in the code page.
  EXPECT_EQ(vista.buffer_size(), expected.size() + 1);
  EXPECT_EQ(std::string(vista.GetOFN().lpstrFile, expected.size() + 1), expected + '\0');
  EXPECT_STREQ(vista.filename(), set.c_str());

  presenter_->add_answer({set + "/a.drw", set + "/b.drw"});
  vtuPersistentFileDialog fitting = dialog(OFN_ALLOWMULTISELECT, TRUE);
  ASSERT_EQ(fitting.DoModal(), IDOK);
  EXPECT_EQ(fitting.buffer_size(), MAX_PATH);
}

TEST_F(PersistentFileDialogCodePage, FolderWritesOnlyAfterRestoreAndSetsFoldersOfFiles) {
  { const vtuPersistentFolder unused; }
  EXPECT_EQ(stored(), "none");

  const std::string inner = folder("outer/inner");
  const vtuPersistentFolder folder_of_files;
  fs::create_directories(work_.path() / "outer");
  { std::ofstream(inner + "/file.drw") << "x"; }
  folder_of_files.set_directory((inner + "/file.drw").c_str());
  EXPECT_EQ(fs::current_path(), inner);
  folder_of_files.set_directory((work_.file("outer") + "/missing/name").c_str());
  EXPECT_EQ(fs::current_path(), inner);  // "outer/missing" does not exist either
  folder_of_files.set_directory((work_.file("outer") + "/missing").c_str());
  EXPECT_EQ(fs::current_path(), work_.file("outer"));
  EXPECT_EQ(folder_of_files.current_directory(), work_.file("outer").c_str());

  {
    vtuPersistentFolder active;
    active.restore("Dialogs", "Drawings", inner.c_str());
    EXPECT_EQ(fs::current_path(), inner);
    vtuPersistentFolder copy(active);
    fs::current_path(work_.path());
  }
  EXPECT_EQ(stored(), work_.str());
}

}  // namespace
