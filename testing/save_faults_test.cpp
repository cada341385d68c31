// Saves that fail or die part-way: each writer of the library saves in the save helper program,
// once for every call of a family (write, sync, rename, open) that one save makes, with that call
// failed, and again and again while it is killed at random moments. Afterwards the file is the
// old one or the new one, byte for byte (the log: its old text and whole records), a save that
// did not happen says so, and no temporary file is left behind.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "testing/fault_injection.h"
#include "testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using vtutils::testing::Fault;
using vtutils::testing::FaultRun;
using vtutils::testing::kSaveFailed;
using vtutils::testing::read_file;
using vtutils::testing::run_save_helper;
using vtutils::testing::TempDir;

struct Writer {
  const char* name;  // the save helper's WRITER
  const char* file;  // the file that it saves, in the helper's folder
  bool appends;      // the log: each save appends a record, and none reports failure
};

void PrintTo(const Writer& writer, std::ostream* out) { *out << writer.name; }

const Writer kWriters[] = {
    {"document", "files/value.cfb", false},
    {"registry", "config/vtutils/registry.reg", false},
    {"ini", "files/value.ini", false},
    {"xml", "files/value.xml", false},
    {"log", "state/vt_lifetime_manager_log.txt", true},
};

// A family of calls and the error that it most often meets.
struct Calls {
  const char* name;
  int error;
};

void PrintTo(const Calls& calls, std::ostream* out) { *out << calls.name; }

const Calls kCalls[] = {{"write", ENOSPC}, {"sync", EIO}, {"rename", EIO}, {"open", ENOSPC}};

std::string blank_digits(std::string text) {
  std::replace_if(text.begin(), text.end(), [](char c) { return std::isdigit(c) != 0; }, '0');
  return text;
}

// How many whole saves `now` holds after `old`, where one save made `saved` of it: 0 or 1 for a
// file that saves replace; any number for the log, each adding one record like the one `saved`
// ends in, whose time is left out of the comparison. -1 when `now` is none of these.
int saves_in(const Writer& writer, const std::string& old, const std::string& saved,
             const std::string& now) {
  if (!writer.appends) return now == old ? 0 : now == saved ? 1 : -1;
  const std::string base = blank_digits(old);
  const std::string record = blank_digits(saved).substr(base.size());
  const std::string text = blank_digits(now);
  if (!text.starts_with(base)) return -1;
  std::string_view rest = std::string_view(text).substr(base.size());
  int count = 0;
  for (; !record.empty() && rest.starts_with(record); ++count) rest.remove_prefix(record.size());
  return rest.empty() ? count : -1;
}

std::vector<std::string> names_in(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

bool saved(const FaultRun& run) { return WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0; }

// A writer's file saved once with "old" in a folder of its own, and what saving "new" over it
// makes of it.
class SaveTest {
 protected:
  explicit SaveTest(const Writer& writer) : writer_(writer) {
    EXPECT_TRUE(saved(save(old_, "old")));
    old_text_ = read_file(old_ / writer_.file);
    copy_old(clean_);
    EXPECT_TRUE(saved(save(clean_, "new")));
    saved_text_ = read_file(clean_ / writer_.file);
    saved_names_ = names_in(folder_of(clean_));
  }

  // A copy of the folder with the old file at `folder`.
  void copy_old(const fs::path& folder) const {
    fs::copy(old_, folder, fs::copy_options::recursive);
  }

  FaultRun save(const fs::path& folder, const char* text, const Fault& fault = {}) const {
    return run_save_helper({writer_.name, folder, text}, fault);
  }

  fs::path folder_of(const fs::path& folder) const {
    return (folder / writer_.file).parent_path();
  }

  int saves_in(const fs::path& folder) const {
    return ::saves_in(writer_, old_text_, saved_text_, read_file(folder / writer_.file));
  }

  const Writer& writer_;
  TempDir dir_;
  const fs::path base_ = fs::canonical(dir_.path());
  const fs::path old_ = base_ / "old";
  const fs::path clean_ = base_ / "clean";
  std::string old_text_;
  std::string saved_text_;
  std::vector<std::string> saved_names_;  // in the file's folder after a save
};

class SaveFaultTest : public SaveTest,
                      public ::testing::TestWithParam<std::tuple<Writer, Calls>> {
 protected:
  SaveFaultTest() : SaveTest(std::get<0>(GetParam())) {}
};

TEST_P(SaveFaultTest, AFailedCallLeavesTheOldFileOrTheNewOne) {
  const Calls& calls = std::get<1>(GetParam());
  const fs::path counting = base_ / "counting";
  copy_old(counting);
  const FaultRun counted = save(counting, "new", {calls.name, 0, 0, folder_of(counting)});
  ASSERT_TRUE(saved(counted));
  RecordProperty("injected_faults", std::to_string(counted.counted));

  // Shown by a failed sync of the folder that leaves the new file, and reported.
  bool folder_synced_after_rename = false;
  for (long nth = 1; nth <= counted.counted; ++nth) {
    SCOPED_TRACE(std::string(calls.name) + " call " + std::to_string(nth));
    const fs::path folder = base_ / std::to_string(nth);
    copy_old(folder);
    const FaultRun run = save(folder, "new", {calls.name, nth, calls.error, folder_of(folder)});
    ASSERT_FALSE(run.failed_on.empty());
    ASSERT_TRUE(WIFEXITED(run.status) && (WEXITSTATUS(run.status) == 0 ||
                                          WEXITSTATUS(run.status) == kSaveFailed))
        << "status " << run.status;
    const int saves = saves_in(folder);
    EXPECT_TRUE(saves == 0 || saves == 1) << read_file(folder / writer_.file);
    if (saves == 0 && !writer_.appends) {
      EXPECT_FALSE(saved(run)) << "a save that did not happen reported success";
    }
    EXPECT_EQ(names_in(folder_of(folder)), saved_names_);
    folder_synced_after_rename |= std::string(calls.name) == "sync" &&
                                  run.failed_on == folder_of(folder) && saves == 1 && !saved(run);
  }
  // A rename outlasts a power loss only once its folder is synced.
  if (std::string(calls.name) == "sync" && !writer_.appends) {
    EXPECT_TRUE(folder_synced_after_rename);
  }
}

INSTANTIATE_TEST_SUITE_P(
    , SaveFaultTest, ::testing::Combine(::testing::ValuesIn(kWriters), ::testing::ValuesIn(kCalls)),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

class SaveKillTest : public SaveTest, public ::testing::TestWithParam<Writer> {
 protected:
  SaveKillTest() : SaveTest(GetParam()) {}
};

// Each writer saves "new" and "old" in turn, so that its saves change the file (an INI file is
// not written again for the same value); the log appends "new" records. The temporary files of
// the writers killed since the last whole save may pile up; that save removes them all.
TEST_P(SaveKillTest, AKilledWriterLeavesAWholeFileAndTheNextSaveClearsUp) {
  constexpr int kKills = 20;
  const fs::path folder = base_ / "killed";
  copy_old(folder);
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> microseconds(0, 20000);
  for (int kill = 0; kill < kKills; ++kill) {
    const std::chrono::microseconds run_for(microseconds(random));
    SCOPED_TRACE("killed after " + std::to_string(run_for.count()) + " us");
    const char* text = writer_.appends || kill % 2 == 0 ? "new" : "old";
    vtutils::testing::kill_save_helper({writer_.name, folder, text}, run_for);
    EXPECT_GE(saves_in(folder), 0) << read_file(folder / writer_.file);
  }
  ASSERT_TRUE(saved(save(folder, "new")));
  EXPECT_EQ(names_in(folder_of(folder)), saved_names_);
}

INSTANTIATE_TEST_SUITE_P(, SaveKillTest, ::testing::ValuesIn(kWriters),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
