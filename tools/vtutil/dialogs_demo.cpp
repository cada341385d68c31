// The file dialogs part of vtutil demo: filter texts built with CFileFilterBuilder, and one
// vtuFileDialog run whose answer comes from a ScriptedFileDialogPresenter installed for the demo
// only, so that no real dialog is shown.
#include "dialogs_demo.h"

#include <cstdio>
#include <memory>

#include "vtplatform/mfc/file_dialog_presenter.h"
#include "vtutils/file_dialog.h"
#include "vtutils/file_filter_builder.h"
#include "vtutils/platform/file_dialogs.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/win32_types.h"

namespace {

// The file types of a measurement program's open dialog.
CFileFilterBuilder sample_builder() {
  CFileFilterBuilder builder;
  builder.add_filter_item("Measurements", "*.CSV; *.dat", true);
  builder.add_filter_item("Inspection plans", "*.vtd", true);
  builder.add_filter_item("CAD models", "*.igs;*.step;*.csv", false);
  return builder;
}

CString show_filters() {
  CFileFilterBuilder builder = sample_builder();
  builder.set_all_files_filter("Supported files", true);
  const CString combined = builder.get_filter(false);
  std::printf("  combined catch-all, last:\n    %s\n", combined.GetString());
  builder.set_all_files_filter("All files", false);
  std::printf("  \"*.*\" catch-all, first:\n    %s\n", builder.get_filter(true).GetString());
  return combined;
}

void show_scripted_dialog(const CString& filter) {
  auto script = std::make_shared<vtplatform::ScriptedFileDialogPresenter>();
  script->add_answer({"/messdaten/Gehäuse 3/Bohrung_12.csv"}, 2);
  const std::shared_ptr<vtplatform::FileDialogPresenter> previous =
      vtplatform::set_file_dialog_presenter(script);
  vtuFileDialog dialog(TRUE, "csv", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, filter,
                       nullptr, 0, FALSE);
  dialog.set_title("Open a measurement");
  dialog.set_initial_dir("/messdaten");
  const INT_PTR result = dialog.DoModal();
  vtplatform::set_file_dialog_presenter(previous);

  const vtplatform::FileDialogRequest request = script->requests().front();
  std::printf("  vtuFileDialog shown to a scripted presenter: title \"%s\", folder %s, %zu "
              "filters\n",
              request.title.c_str(), request.initial_folder.c_str(), request.filters.size());
  const OPENFILENAMEA& record = dialog.GetOFN();
  std::printf("  DoModal() = %s, filename() = \"%s\", nFileOffset %u (\"%s\"), nFileExtension "
              "%u (\"%s\"), filter_index() %u\n",
              result == IDOK ? "IDOK" : "IDCANCEL", dialog.filename().GetString(),
              record.nFileOffset, record.lpstrFile + record.nFileOffset, record.nFileExtension,
              record.lpstrFile + record.nFileExtension, dialog.filter_index());
}

}  // namespace

void print_dialogs_demo() {
  std::printf("File dialogs\n");
  show_scripted_dialog(show_filters());
}
