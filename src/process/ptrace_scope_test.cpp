// Dumps and kills where ptrace is restricted as under the Yama module's scope 1, emulated by the
// ptrace scope shim: a host can debug the programs it starts with vtuCreateProcess, cannot debug
// a process it did not start and says so through the last error, and as a child subreaper keeps
// the programs it starts as its children.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "testing/helper_process.h"
#include "testing/temp_dir.h"
#include "vtutils/platform/win32_types.h"

namespace {

using vtutils::testing::HelperProcess;
using vtutils::testing::TempDir;

// The ptrace scope helper's findings, by name, run with `args` under the shim. The process
// helper is copied into `folder`, so that dumps written next to it stay in the test's folder.
std::map<std::string, std::string> run_helper(const TempDir& folder, const std::string& args) {
  const std::string program = folder.file("scoped_helper");
  std::filesystem::copy_file(vtutils::testing::kProcessHelper, program,
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::create_directory(folder.file("declarations"));
  // Under ASan the shim comes before the sanitizer's runtime, which ASan must be told to allow.
  const std::string command = "env LD_PRELOAD='" VTUTILS_PTRACE_SCOPE_SHIM
                              "' ASAN_OPTIONS=\"$ASAN_OPTIONS:verify_asan_link_order=0\""
                              " VT_PTRACE_SCOPE_FOLDER='" + folder.file("declarations") +
                              "' '" VTUTILS_PTRACE_SCOPE_HELPER "' " + args + " '" + program +
                              "' ";
  std::map<std::string, std::string> findings;
  HelperProcess other({"sleep", "60000"});
  FILE* output = ::popen((command + std::to_string(other.id())).c_str(), "r");
  if (output == nullptr) return findings;
  char line[4096];
  while (std::fgets(line, sizeof line, output) != nullptr) {
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    const auto blank = text.find(' ');
    findings[text.substr(0, blank)] = blank == std::string::npos ? "" : text.substr(blank + 1);
  }
  EXPECT_EQ(::pclose(output), 0);
  return findings;
}

TEST(PtraceScope, AHostDumpsAndKillsWhatItStartsButNoOtherProcess) {
  const TempDir folder;
  auto findings = run_helper(folder, "");
  const std::string next_to_program = folder.file("scoped_helper");
  EXPECT_EQ(findings["parent"], "0");  // the double fork gave it away
  EXPECT_TRUE(findings["dump"].starts_with(next_to_program)) << findings["dump"];
  EXPECT_EQ(findings["killed"], "1");
  EXPECT_TRUE(findings["kill-dump"].starts_with(next_to_program)) << findings["kill-dump"];
  EXPECT_EQ(findings["other-dump"], "error " + std::to_string(ERROR_ACCESS_DENIED));
}

TEST(PtraceScope, AChildSubreaperKeepsWhatItStartsAsItsChild) {
  const TempDir folder;
  auto findings = run_helper(folder, "--subreaper");
  EXPECT_EQ(findings["parent"], "1");
  EXPECT_TRUE(findings["dump"].starts_with(folder.file("scoped_helper"))) << findings["dump"];
  EXPECT_EQ(findings["killed"], "1");
}

}  // namespace
