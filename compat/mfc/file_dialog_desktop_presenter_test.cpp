// The desktop presenter against stand-in zenity and kdialog scripts first on PATH, which record
// their arguments and print a canned answer.
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/scoped_env.h"
#include "testing/temp_dir.h"
#include "vtplatform/mfc/file_dialog.h"
#include "vtplatform/mfc/file_dialog_presenter.h"

namespace {

using vtplatform::FileDialogRequest;
using vtutils::testing::ScopedEnv;
using vtutils::testing::TempDir;

class DesktopPresenterTest : public ::testing::Test {
 protected:
  // Puts a tool `name` on PATH that records its arguments, one a line, prints `output` and exits
  // with `exit_code`.
  void install_tool(const std::string& name, const std::string& output, int exit_code) {
    const std::string script = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                               tools_.file("args") + "'\nprintf '%s' '" + output + "'\nexit " +
                               std::to_string(exit_code) + "\n";
    vtutils::testing::write_file(tools_.file(name), script);
    ::chmod(tools_.file(name).c_str(), 0755);
  }
  std::vector<std::string> arguments() const {
    std::vector<std::string> lines;
    std::string text = vtutils::testing::read_file(tools_.file("args"));
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }
  static FileDialogRequest open_request() {
    FileDialogRequest request;
    request.title = "Pick";
    request.initial_folder = "/srv/data";
    request.filters = {{"Text", {"*.txt", "*.log"}}, {"All", {"*"}}};
    request.filter_index = 2;
    request.multiple = true;
    return request;
  }

  TempDir tools_;
  ScopedEnv path_{"PATH", tools_.str()};
  ScopedEnv display_{"DISPLAY", ":99"};
  ScopedEnv wayland_{"WAYLAND_DISPLAY", std::nullopt};
};

TEST_F(DesktopPresenterTest, ZenityOpenWithSeveralFiles) {
  install_tool("zenity", "/srv/data/a b.txt///srv/data/line\nbreak\n", 0);
  const auto presenter = vtplatform::make_desktop_file_dialog_presenter();
  ASSERT_NE(presenter, nullptr);
  const auto answer = presenter->show(open_request());
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(answer->paths,
            (std::vector<std::string>{"/srv/data/a b.txt", "/srv/data/line\nbreak"}));
  EXPECT_EQ(answer->filter_index, 2u);
  EXPECT_EQ(arguments(),
            (std::vector<std::string>{"--file-selection", "--title=Pick", "--filename=/srv/data/",
                                      "--multiple", "--separator=//", "--file-filter=All | *",
                                      "--file-filter=Text | *.txt *.log"}));
}

TEST_F(DesktopPresenterTest, ZenitySaveAndItsCancels) {
  FileDialogRequest request;
  request.open = false;
  request.initial_folder = "/srv/";
  request.initial_name = "out.csv";
  request.confirm_overwrite = true;
  install_tool("zenity", "", 1);
  const auto presenter = vtplatform::make_desktop_file_dialog_presenter();
  ASSERT_NE(presenter, nullptr);
  EXPECT_FALSE(presenter->show(request).has_value());
  EXPECT_EQ(arguments(), (std::vector<std::string>{"--file-selection", "--filename=/srv/out.csv",
                                                   "--save", "--confirm-overwrite"}));
  // A failing tool cancels, as does a success without a path.
  install_tool("zenity", "/srv/out.csv\n", 5);
  EXPECT_FALSE(presenter->show(request).has_value());
  install_tool("zenity", "", 0);
  EXPECT_FALSE(presenter->show(request).has_value());
  install_tool("zenity", "/srv/out.csv\n", 0);
  EXPECT_EQ(presenter->show(request)->paths, (std::vector<std::string>{"/srv/out.csv"}));
}

TEST_F(DesktopPresenterTest, KdialogWhenZenityIsMissing) {
  install_tool("kdialog", "/srv/data/a\n/srv/data/b\n", 0);
  const auto presenter = vtplatform::make_desktop_file_dialog_presenter();
  ASSERT_NE(presenter, nullptr);
  const auto answer = presenter->show(open_request());
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(answer->paths, (std::vector<std::string>{"/srv/data/a", "/srv/data/b"}));
  EXPECT_EQ(vtutils::testing::read_file(tools_.file("args")),
            "--title\nPick\n--multiple\n--separate-output\n--getopenfilename\n/srv/data/\n"
            "*|All\n*.txt *.log|Text\n");
}

TEST_F(DesktopPresenterTest, NoneWithoutDisplayOrTool) {
  EXPECT_EQ(vtplatform::make_desktop_file_dialog_presenter(), nullptr);
  install_tool("zenity", "", 0);
  ScopedEnv no_display("DISPLAY", std::nullopt);
  EXPECT_EQ(vtplatform::make_desktop_file_dialog_presenter(), nullptr);
  ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-0");
  EXPECT_NE(vtplatform::make_desktop_file_dialog_presenter(), nullptr);
}

TEST_F(DesktopPresenterTest, FileDialogUsesTheDesktopByDefault) {
  const auto previous = vtplatform::set_file_dialog_presenter(nullptr);
  install_tool("zenity", "/srv/data/report\n", 0);
  CFileDialog dialog(FALSE, "csv", nullptr, OFN_OVERWRITEPROMPT, nullptr, nullptr, 0, FALSE);
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.GetPathName(), "/srv/data/report.csv");
  vtplatform::set_file_dialog_presenter(previous);
}

}  // namespace
