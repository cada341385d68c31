// A small inspection application ported from Windows, doing with VTUtils what such a host does at
// start and in use: its application object and profile, string resources, a file-type list and a
// persistent open dialog, a document with its CAD dependencies, a helper process found, dumped
// and ended with the lifetime log on, natural sorting and XML settings.
//
// Where the Windows build has WinMain and a dialog on the screen, this one has main() and the
// scripted dialog presenter, so that it runs unattended. Each step prints one line; the exit
// status is 0 when every step did what it should.
#include <vtutils/vtutils.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "resources.h"

namespace fs = std::filesystem;

namespace {

// The application object: one per program, found by the framework through AfxGetApp().
class InspectionApp : public CWinApp {
 public:
  InspectionApp() : CWinApp("InspectionHost") {}
};
InspectionApp the_app;

bool report(bool ok, const char* step, const std::string& detail) {
  std::printf("%-12s %s %s\n", step, ok ? "ok  " : "FAIL", detail.c_str());
  return ok;
}

// The profile lives in the per-user registry store under Software\Brennic\InspectionHost.
bool profile_step() {
  CWinApp& app = *AfxGetApp();
  app.SetRegistryKey(_T("Brennic"));
  const UINT runs = app.GetProfileInt(_T("Statistics"), _T("Runs"), 0) + 1;
  const bool written = app.WriteProfileInt(_T("Statistics"), _T("Runs"), static_cast<int>(runs));
  return report(written && app.GetProfileInt(_T("Statistics"), _T("Runs"), 0) == runs, "profile",
                "run number " + std::to_string(runs));
}

bool strings_step() {
  CString title;
  const bool loaded = title.LoadString(IDS_APP_TITLE) != FALSE;
  return report(loaded && title == "Inspection host", "strings", title.GetString());
}

// The open dialog: a file-type list from string resources, a persistent folder, and the answer
// read with GetStartPosition/GetNextPathName as the Windows code reads it.
bool dialog_step(const fs::path& folder) {
  CFileFilterBuilder filters;
  filters.add_filter_item(IDS_FILTER_INSPECTION, "*.vtp", true);
  filters.set_all_files_filter(IDS_FILTER_ALL, true);

  const auto script = std::make_shared<vtplatform::ScriptedFileDialogPresenter>();
  const fs::path plans[] = {folder / "plan 10.vtp", folder / "plan 9.vtp"};
  script->add_answer({plans[0].string(), plans[1].string()});
  vtplatform::set_file_dialog_presenter(script);

  vtuPersistentFileDialog dialog("Dialogs", "Plans", folder.c_str(), TRUE, "vtp", nullptr,
                                 OFN_ALLOWMULTISELECT,
                                 filters.get_filter(false), nullptr, TRUE);
  const bool chosen = dialog.DoModal() == IDOK;
  vtplatform::set_file_dialog_presenter(nullptr);
  std::vector<std::string> paths;
  for (POSITION at = dialog.GetStartPosition(); at != nullptr;) {
    paths.emplace_back(dialog.GetNextPathName(at).GetString());
  }
  const CString stored = AfxGetApp()->GetProfileString("Dialogs", "Plans");
  return report(chosen && paths.size() == 2 && stored == folder.c_str(), "dialog",
                std::to_string(paths.size()) + " files chosen in " + stored.GetString());
}

// A document's compound file with the CAD files its objects depend on, written and read back.
bool document_step(const fs::path& folder) {
  const std::wstring name = (folder / "part.vtd").wstring();  // OLECHAR is 32-bit wchar_t
  CComPtr<IStorage> document;
  if (FAILED(StgCreateDocfile(name.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                              0, &document))) {
    return report(false, "document", "cannot create " + (folder / "part.vtd").string());
  }
  vtuDependencyManager& dependencies = vtuDependencyManager::singleton();
  dependencies.start_save_dependencies();
  dependencies.add_cad_path(7, utString((folder / "bracket.step").c_str()));
  dependencies.save_dependencies(document);
  document->Commit(STGC_DEFAULT);
  document.Release();

  if (FAILED(StgOpenStorage(name.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                            &document))) {
    return report(false, "document", "cannot open it again");
  }
  dependencies.load_dependencies(document);
  utString path;
  dependencies.cad_path(7, path);
  dependencies.end_load_dependencies();
  const bool found = !path.is_null() && fs::path(path.data()).filename() == "bracket.step";
  return report(found, "document", found ? std::string("CAD-7 is ") + path.data() : "no CAD-7");
}

// Turns the lifetime log on for this user, as the Windows switch does:
// HKEY_CURRENT_USER\Software\Brennic\VTLifeTimeManagerLog, "Enabled" = 1.
bool switch_log_on() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Brennic\\VTLifeTimeManagerLog", 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const DWORD enabled = 1;
  const bool set = RegSetValueExA(key, "Enabled", 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&enabled),
                                  sizeof enabled) == ERROR_SUCCESS;
  RegCloseKey(key);
  return set;
}

// A helper program started, found by its name, dumped into the user's dump folder (the
// executable's folder may not be writable once installed) and ended with its tree, the log
// recording each step.
bool process_step(const fs::path& folder) {
  const fs::path helper = folder / "inspection-helper";
  std::error_code error;
  fs::copy_file("/bin/sleep", helper, error);
  CString command_line = ("'" + helper.string() + "' 60").c_str();
  CString working_folder = folder.c_str();
  HANDLE started = nullptr;
  if (error || !switch_log_on() ||
      !vtuCreateProcess::create_process(command_line, working_folder, &started)) {
    return report(false, "process", "cannot start " + helper.string());
  }
  CloseHandle(started);

  vtuProcess found = vtuProcess::find_process("inspection-helper");
  for (int attempt = 0; attempt < 100 && !found.valid(); ++attempt) {
    Sleep(20);  // until the helper has replaced the starter with its own program
    found = vtuProcess::find_process("inspection-helper");
  }
  // The user's dump folder, since an installed program's folder is not writable; "" when it
  // cannot be made.
  const std::string dumps = vtplatform::dump_folder();
  const std::string dump_file = dumps + "inspection-helper.dmp";
  CString dump;
  if (!dumps.empty()) dump = found.create_minidump_at(MiniDumpNormal, dump_file.c_str());
  const bool killed = vtuProcess::kill(found, 2000);
  fs::remove(dump.GetString(), error);

  std::ifstream log(vtplatform::log_folder() + "vt_lifetime_manager_log.txt");
  std::string line;
  int lines = 0;
  while (std::getline(log, line)) lines += line.find(helper.string()) != std::string::npos;
  return report(found.valid() && !dump.IsEmpty() && killed && lines > 0, "process",
                "helper " + std::to_string(found.process_id()) + " dumped to " +
                    dump.GetString() + ", ended, " + std::to_string(lines) + " log lines");
}

bool sort_step() {
  std::vector<std::string> names = {"plan 10.vtp", "Plan 9.vtp", "plan 100.vtp", "plan 9a.vtp"};
  const vtuLogicalStringLess less;
  std::sort(names.begin(), names.end(), [&less](const std::string& a, const std::string& b) {
    return less(a.c_str(), b.c_str());
  });
  std::string order;
  for (const std::string& name : names) order += (order.empty() ? "" : ", ") + name;
  return report(names.front() == "Plan 9.vtp" && names.back() == "plan 100.vtp", "sort", order);
}

// Settings written as XML through the registered document factory and read back.
bool xml_step(const fs::path& folder) {
  const vtuXmlServiceScope services;
  const std::shared_ptr<axmDocumentFactory> factory =
      vtuXmlServiceRegistration::document_factory();
  const std::string file = (folder / "settings.xml").string();
  std::unique_ptr<brenxml::xmlDocument> document = factory->createDocument();
  brenxml::xmlNode settings = document->createDocumentElement("settings");
  vtuXML::add_node_value(settings, "Tolerance", 5);
  vtuXML::add_node_value(settings, "Title", CString("Bracket & plate"));
  std::string error;
  if (!document->save(file.c_str(), error)) return report(false, "xml", error);

  const std::unique_ptr<brenxml::xmlDocument> read = factory->parseFile(file.c_str(), error);
  int tolerance = 0;
  CString title;
  const bool ok = read && vtuXML::get_node_value(read->documentElement(), "Tolerance", tolerance) &&
                  vtuXML::get_node_value(read->documentElement(), "Title", title);
  return report(ok && tolerance == 5 && title == "Bracket & plate", "xml",
                "Tolerance " + std::to_string(tolerance) + ", Title " + title.GetString());
}

}  // namespace

int main() {
  char pattern[] = "/tmp/inspection-host-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const fs::path folder = pattern;

  bool ok = profile_step();
  ok = strings_step() && ok;
  ok = dialog_step(folder) && ok;
  ok = document_step(folder) && ok;
  ok = process_step(folder) && ok;
  ok = sort_step() && ok;
  ok = xml_step(folder) && ok;

  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return ok ? 0 : 1;
}
