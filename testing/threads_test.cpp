// The parts that promise to work from several threads at once, each driven by four threads over a
// registry, log and INI file of the test's own: nothing is lost or torn, and every thread gets
// the answer one thread alone gets. The tsan preset runs these under ThreadSanitizer.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "process/lifetime_log.h"
#include "testing/scoped_env.h"
#include "testing/temp_dir.h"
#include "vtutils/logical_compare.h"
#include "vtutils/platform/processes.h"
#include "vtutils/platform/settings.h"
#include "vtutils/platform/text.h"
#include "vtutils/process_iterator.h"

namespace {

using vtutils::testing::read_file;
using vtutils::testing::ScopedEnv;
using vtutils::testing::TempDir;

constexpr int kThreads = 4;
constexpr int kRounds = 40;

// Runs `work(thread)` on kThreads threads at once and waits for them.
void on_threads(const std::function<void(int)>& work) {
  std::vector<std::thread> threads;
  for (int thread = 0; thread < kThreads; ++thread) threads.emplace_back(work, thread);
  for (std::thread& thread : threads) thread.join();
}

// The user's folders of the test's own.
class Threads : public ::testing::Test {
 protected:
  std::string key_name(int thread, int round) const {
    return "t" + std::to_string(thread) + "r" + std::to_string(round);
  }

  TempDir folder_;
  ScopedEnv config_{"XDG_CONFIG_HOME", folder_.file("config")};
  ScopedEnv state_{"XDG_STATE_HOME", folder_.file("state")};
};

TEST_F(Threads, RegistryStoreKeepsEveryValue) {
  on_threads([this](int thread) {
    for (int round = 0; round < kRounds; ++round) {
      HKEY key = nullptr;
      ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Threads", 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr),
                ERROR_SUCCESS);
      const DWORD value = static_cast<DWORD>(thread * 1000 + round);
      EXPECT_EQ(RegSetValueExA(key, key_name(thread, round).c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&value), sizeof value),
                ERROR_SUCCESS);
      RegCloseKey(key);
    }
  });
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Threads", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  for (int thread = 0; thread < kThreads; ++thread) {
    for (int round = 0; round < kRounds; ++round) {
      DWORD value = 0;
      DWORD size = sizeof value;
      EXPECT_EQ(RegQueryValueExA(key, key_name(thread, round).c_str(), nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(&value), &size),
                ERROR_SUCCESS);
      EXPECT_EQ(value, static_cast<DWORD>(thread * 1000 + round));
    }
  }
  RegCloseKey(key);
}

TEST_F(Threads, ProfileFileKeepsEveryKey) {
  const std::string file = folder_.file("shared.ini");
  on_threads([&](int thread) {
    for (int round = 0; round < kRounds; ++round) {
      EXPECT_TRUE(WritePrivateProfileStringA("Section", key_name(thread, round).c_str(), "v",
                                             file.c_str()));
    }
  });
  for (int thread = 0; thread < kThreads; ++thread) {
    for (int round = 0; round < kRounds; ++round) {
      char value[8] = {};
      GetPrivateProfileStringA("Section", key_name(thread, round).c_str(), "", value,
                               sizeof value, file.c_str());
      EXPECT_STREQ(value, "v") << key_name(thread, round);
    }
  }
}

TEST_F(Threads, LogRecordsStayWhole) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Brennic\\VTLifeTimeManagerLog", 0,
                            nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD on = 1;
  RegSetValueExA(key, "Enabled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
  RegCloseKey(key);
  on_threads([this](int thread) {
    for (int round = 0; round < kRounds; ++round) {
      vtutils::lifetime_log_write(("    " + key_name(thread, round) + "\n").c_str());
    }
  });
  std::istringstream log(read_file(folder_.path() / "state" / "vt_lifetime_manager_log.txt"));
  std::vector<std::string> records;
  for (std::string line; std::getline(log, line);) {
    records.push_back(line.substr(line.find_last_of(' ') + 1));
  }
  std::sort(records.begin(), records.end());
  std::vector<std::string> expected;
  for (int thread = 0; thread < kThreads; ++thread) {
    for (int round = 0; round < kRounds; ++round) expected.push_back(key_name(thread, round));
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(records, expected);
}

TEST_F(Threads, ProcessListsFindTheCaller) {
  on_threads([](int) {
    for (int round = 0; round < kRounds / 4; ++round) {
      vtuProcessIterator processes;
      bool found_self = false;
      for (DWORD id = processes.first(); id != 0; id = processes.next()) {
        found_self = found_self || id == GetCurrentProcessId();
      }
      EXPECT_TRUE(found_self);
    }
  });
}

TEST_F(Threads, NaturalOrderAndCodePagesGiveEveryThreadTheSameAnswer) {
  std::vector<std::string> names;
  for (int i = 0; i < 200; ++i) names.push_back("Bohrung " + std::to_string((i * 37) % 101));
  // Each code page's converter is made on first use, by whichever thread comes first.
  const std::vector<UINT> code_pages = {932, 936, 949, 950, 1252};
  const std::string bytes = "\x82\xa0\xb1\xa1 A";
  struct Answers {
    std::vector<std::string> sorted;
    std::vector<std::wstring> converted;
    bool operator==(const Answers&) const = default;
  };
  std::vector<Answers> answers(kThreads);
  on_threads([&](int thread) {
    Answers& answer = answers[static_cast<std::size_t>(thread)];
    answer.sorted = names;
    std::sort(answer.sorted.begin(), answer.sorted.end(),
              [](const std::string& a, const std::string& b) {
                return vtuLogicalStringLess()(a.c_str(), b.c_str());
              });
    answer.converted.resize(code_pages.size());
    // Every thread takes the code pages in another order.
    for (std::size_t i = 0; i < code_pages.size(); ++i) {
      const std::size_t at = (i + static_cast<std::size_t>(thread)) % code_pages.size();
      wchar_t wide[16] = {};
      const int length = MultiByteToWideChar(code_pages[at], 0, bytes.data(),
                                             static_cast<int>(bytes.size()), wide, 16);
      answer.converted[at].assign(wide, static_cast<std::size_t>(std::max(length, 0)));
    }
  });
  EXPECT_EQ(answers[0].sorted.front(), "Bohrung 0");
  EXPECT_EQ(answers[0].sorted.back(), "Bohrung 100");
  for (const Answers& answer : answers) EXPECT_TRUE(answer == answers[0]);
}

}  // namespace
