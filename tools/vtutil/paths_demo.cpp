// The paths and files part of vtutil demo: path wrappers, free names, temporary paths, layout.
#include "paths_demo.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "vtutils/effective_platform.h"
#include "vtutils/file_utils.h"
#include "vtutils/layout.h"
#include "vtutils/platform/files.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/string_converter.h"

namespace {

void show_path_wrappers() {
  const char* const folder = "/data/scans/run1";
  const char* const relative = "../reference/plane.igs";
  std::printf("  path_combine(\"%s\", \"%s\") = \"%s\"\n", folder, relative,
              vtuFileUtils::path_combine(folder, relative).GetString());
  for (const char* name : {"report", "report.txt"}) {
    std::printf("  path_add_extension(\"%s\", \".csv\") = \"%s\"\n", name,
                vtuFileUtils::path_add_extension(name, ".csv").GetString());
  }
  CString renamed("scan.v1");
  vtuFileUtils::path_rename_extension(renamed, ".igs");
  std::printf("  path_rename_extension(\"scan.v1\", \".igs\") makes \"%s\"\n", renamed.GetString());
  const char* const file = "/data/scans/Bohrung_12.igs";
  std::printf("  path_strip_path_and_remove_extension(\"%s\") = \"%s\"\n", file,
              vtuFileUtils::path_strip_path_and_remove_extension(file).GetString());
}

// A new folder under a fresh temporary name, removed with its contents when the owner goes.
class ScratchFolder {
 public:
  ScratchFolder() : path_(vtuFileUtils::create_temp_file_path("vtu", "")) {
    std::error_code error;
    created_ = !path_.IsEmpty() && std::filesystem::create_directory(path_.GetString(), error);
  }
  ~ScratchFolder() {
    std::error_code error;
    if (created_) std::filesystem::remove_all(path_.GetString(), error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool created() const { return created_; }
  const CString& path() const { return path_; }

 private:
  CString path_;
  bool created_ = false;
};

void show_free_names() {
  const ScratchFolder scratch;
  if (!scratch.created()) {
    std::printf("  (no free names: could not make a scratch folder in the temporary folder)\n");
    return;
  }
  // The temporary name is random; only its folder and its shape are shown.
  const CString name = vtuFileUtils::path_find_file_name(scratch.path());
  std::printf("  scratch folder %s/%s<hex>%s from create_temp_file_path(\"vtu\", \"\")\n",
              vtuFileUtils::path_remove_file_name(scratch.path()).GetString(),
              name.Left(3).GetString(), PathFindExtensionA(name));
  for (const char* taken : {"scan.txt", "scan1.txt", "scan2.txt"}) {
    std::ofstream(vtuFileUtils::path_append(scratch.path(), taken).GetString());
  }
  const CString numbered =
      vtuFileUtils::find_first_available_file_path(scratch.path(), "scan", ".txt", 1);
  const CString explorer =
      vtuFileUtils::find_first_available_file_path_windows_style(scratch.path(), "scan", ".txt");
  std::printf("  free names beside scan.txt, scan1.txt, scan2.txt: %s (from 1), %s (Explorer)\n",
              vtuFileUtils::path_find_file_name(numbered).GetString(),
              vtuFileUtils::path_find_file_name(explorer).GetString());
}

void show_layout() {
  std::printf("  %s layout, root %s, effective platform %s\n",
              vtu_is_distri_layout() ? "distribution" : "development",
              vtuStringConverter::mfc_str(vtuBrenPath::root().string()).GetString(),
              vtuEffectivePlatform().to_string());
}

}  // namespace

void print_paths_demo() {
  std::printf("Paths and files\n");
  show_path_wrappers();
  show_free_names();
  show_layout();
}
