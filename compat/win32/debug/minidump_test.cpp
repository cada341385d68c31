// Tests of MiniDumpWriteDump on a real multi-threaded helper process: the file's layout read back
// byte by byte, and the dump loaded by lldb, an independent reader of the format.
#include "vtplatform/win32/minidump.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "testing/helper_process.h"
#include "testing/proc_stat.h"
#include "testing/temp_dir.h"
#include "vtplatform/win32/debug.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/process.h"

namespace {

using vtutils::testing::HelperProcess;
using vtutils::testing::read_file;
using vtutils::testing::TempDir;

// The value that the helper's `threads` mode stores in vt_helper_marker.
constexpr unsigned long long kHelperMarker = 0x5EED0F7E57C0FFEEULL;
constexpr int kHelperThreads = 3;

constexpr std::uint32_t kThreadList = 3, kModuleList = 4, kMemoryList = 5, kSystemInfo = 7,
                        kMemory64List = 9, kHandleData = 12, kMiscInfo = 15,
                        kMemoryInfoList = 16, kThreadInfoList = 17, kLinuxProcStatus = 0x47670004,
                        kLinuxMaps = 0x47670009;

// A dump file read back with plain offsets, independently of the writer's records.
class DumpView {
 public:
  explicit DumpView(std::string bytes) : bytes_(std::move(bytes)) {}

  std::uint64_t u64(std::uint64_t at) const {
    std::uint64_t value = 0;
    if (at + 8 <= bytes_.size()) std::memcpy(&value, bytes_.data() + at, 8);
    return value;
  }
  std::uint32_t u32(std::uint64_t at) const { return static_cast<std::uint32_t>(u64(at)); }
  std::uint16_t u16(std::uint64_t at) const { return static_cast<std::uint16_t>(u64(at)); }
  std::uint64_t size() const { return bytes_.size(); }

  struct Stream {
    std::uint32_t size;
    std::uint32_t rva;
  };
  // The directory; a failed expectation for a broken header or directory.
  std::map<std::uint32_t, Stream> streams() const {
    std::map<std::uint32_t, Stream> result;
    EXPECT_GE(size(), 32u);
    EXPECT_EQ(u32(0), 0x504D444Du);  // "MDMP"
    EXPECT_EQ(u32(4) & 0xFFFF, 0xA793u);
    const std::uint32_t count = u32(8);
    const std::uint32_t directory = u32(12);
    EXPECT_LE(directory + 12ull * count, size());
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint64_t entry = directory + 12ull * i;
      const Stream stream{u32(entry + 4), u32(entry + 8)};
      EXPECT_LE(std::uint64_t{stream.rva} + stream.size, size()) << "stream " << u32(entry);
      EXPECT_TRUE(result.emplace(u32(entry), stream).second) << "twice: " << u32(entry);
    }
    return result;
  }
  // A length-prefixed UTF-16 string, narrowed (the tests use ASCII names).
  std::string string_at(std::uint32_t rva) const {
    std::string text;
    for (std::uint32_t i = 0; i < u32(rva) / 2; ++i) {
      text += static_cast<char>(u16(rva + 4 + 2 * i));
    }
    return text;
  }

 private:
  std::string bytes_;
};

// Checks the layout of every list stream that the dump has: sizes exact, every record and every
// block of memory it points to inside the file, a 64-bit memory list ending the file.
void expect_consistent(const DumpView& dump) {
  const auto streams = dump.streams();
  ASSERT_TRUE(streams.contains(kThreadList) && streams.contains(kModuleList) &&
              streams.contains(kSystemInfo) && streams.contains(kMiscInfo) &&
              streams.contains(kLinuxProcStatus) && streams.contains(kLinuxMaps));
  EXPECT_EQ(dump.u16(streams.at(kSystemInfo).rva), 9);  // AMD64
  EXPECT_EQ(dump.u32(streams.at(kSystemInfo).rva + 20), 0x8201u);  // Linux

  const auto threads = streams.at(kThreadList);
  const std::uint32_t thread_count = dump.u32(threads.rva);
  EXPECT_EQ(threads.size, 4 + 48 * thread_count);
  for (std::uint32_t i = 0; i < thread_count; ++i) {
    const std::uint64_t thread = threads.rva + 4 + 48ull * i;
    EXPECT_EQ(dump.u32(thread + 40), 1232u) << "context size";
    EXPECT_LE(std::uint64_t{dump.u32(thread + 44)} + 1232, dump.size());
    EXPECT_EQ(dump.u32(dump.u32(thread + 44) + 0x30) & 0x0010000F, 0x0010000Fu) << "flags";
    EXPECT_GT(dump.u32(thread + 32), 0u) << "stack size";
    EXPECT_LE(std::uint64_t{dump.u32(thread + 36)} + dump.u32(thread + 32), dump.size());
  }
  const auto modules = streams.at(kModuleList);
  EXPECT_EQ(modules.size, 4 + 108 * dump.u32(modules.rva));

  EXPECT_NE(streams.contains(kMemoryList), streams.contains(kMemory64List));
  if (streams.contains(kMemoryList)) {
    const auto memory = streams.at(kMemoryList);
    const std::uint32_t ranges = dump.u32(memory.rva);
    EXPECT_EQ(memory.size, 4 + 16 * ranges);
    for (std::uint32_t i = 0; i < ranges; ++i) {
      const std::uint64_t range = memory.rva + 4 + 16ull * i;
      EXPECT_LE(std::uint64_t{dump.u32(range + 12)} + dump.u32(range + 8), dump.size());
    }
  } else {
    const auto memory = streams.at(kMemory64List);
    const std::uint64_t ranges = dump.u64(memory.rva);
    EXPECT_EQ(memory.size, 16 + 16 * ranges);
    std::uint64_t end = dump.u64(memory.rva + 8);
    for (std::uint64_t i = 0; i < ranges; ++i) end += dump.u64(memory.rva + 16 + 16 * i + 8);
    EXPECT_EQ(end, dump.size());
  }
}

// Writes a dump of `pid` the way the termination protocol does, attaching first when `attach`.
bool write_dump(DWORD pid, const std::string& path, MINIDUMP_TYPE type, bool attach) {
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  if (process == nullptr) return false;
  bool written = false;
  if (!attach || (DebugActiveProcess(pid) && DebugBreakProcess(process))) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    written = file != INVALID_HANDLE_VALUE &&
              MiniDumpWriteDump(process, pid, file, type, nullptr, nullptr, nullptr);
    EXPECT_TRUE(written) << GetLastError();
    CloseHandle(file);
  }
  if (attach) DebugActiveProcessStop(pid);
  CloseHandle(process);
  return written;
}

// lldb from the distribution, or "" when it is not installed.
std::string find_lldb() {
  for (const char* name : {"/usr/bin/lldb", "/usr/bin/lldb-14"}) {
    if (::access(name, X_OK) == 0) return name;
  }
  return "";
}

// What lldb prints for the core file `dump` with the commands `commands`.
std::string run_lldb(const std::string& lldb, const std::string& dump,
                     const std::string& commands) {
  // Debian's lldb does not find its own Python modules without this path.
  const std::string command = "PYTHONPATH=/usr/lib/llvm-14/lib/python3.11/dist-packages " + lldb +
                              " -x -b -c '" + dump + "' " + commands + " 2>&1";
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, pipe)) {
      output.append(buffer, count);
    }
    ::pclose(pipe);
  }
  return output;
}

// The GNU build id of the helper program, as lowercase hex, from readelf.
std::string helper_build_id() {
  const std::string command = std::string("readelf -n ") + vtutils::testing::kProcessHelper;
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) output += line;
    ::pclose(pipe);
  }
  const auto at = output.find("Build ID: ");
  if (at == std::string::npos) return "";
  return output.substr(at + 10, output.find('\n', at) - at - 10);
}

std::string hex_digits_lowercase(const std::string& text) {
  std::string digits;
  for (const char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c))) {
      digits += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return digits;
}

std::size_t count_of(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(MiniDumpWriteDump, NormalDumpShowsEveryThreadInLldb) {
  HelperProcess helper({"threads", std::to_string(kHelperThreads)});
  const DWORD pid = helper.read_pid();
  ASSERT_NE(pid, 0u);
  TempDir dir;
  const std::string path = dir.file("normal.dmp");
  ASSERT_TRUE(write_dump(pid, path, MiniDumpNormal, true));
  const DumpView dump(read_file(path));
  expect_consistent(dump);
  const auto threads = dump.streams().at(kThreadList);
  EXPECT_EQ(dump.u32(threads.rva), kHelperThreads + 1u);
  EXPECT_EQ(dump.u32(threads.rva + 4), pid) << "the main thread comes first";

  const std::string lldb = find_lldb();
  if (lldb.empty()) GTEST_SKIP() << "lldb is not installed";
  const std::string output =
      run_lldb(lldb, path, "-o 'thread list' -o 'bt all' -o 'image list'");
  for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) +
                                                              "/task")) {
    EXPECT_NE(output.find("tid = " + task.path().filename().string()), std::string::npos)
        << output;
  }
  // One frame of its own per parked thread; an optimised build may show wait_forever inlined into
  // it as a second frame of the same name, without the argument.
  EXPECT_EQ(count_of(output, "vt_helper_parked_thread(started="), std::size_t{kHelperThreads})
      << output;
  EXPECT_NE(output.find("start_threads"), std::string::npos) << output;
  const std::string build_id = helper_build_id();
  ASSERT_FALSE(build_id.empty());
  EXPECT_NE(hex_digits_lowercase(output).find(build_id), std::string::npos) << output;
}

TEST(MiniDumpWriteDump, FullMemoryDumpWithoutDebuggerHoldsTheGlobals) {
  HelperProcess helper({"threads", "1"});
  const DWORD pid = helper.read_pid();
  TempDir dir;
  const std::string path = dir.file("full.dmp");
  // Not attached before: the dump attaches for its own time and lets the process go again.
  ASSERT_TRUE(write_dump(pid, path, MiniDumpWithFullMemory, false));
  EXPECT_EQ(vtutils::testing::thread_states(static_cast<pid_t>(pid)).find('t'), std::string::npos);
  EXPECT_TRUE(DebugActiveProcess(pid));
  EXPECT_TRUE(DebugActiveProcessStop(pid));
  const DumpView dump(read_file(path));
  expect_consistent(dump);
  EXPECT_EQ(dump.u64(24), std::uint64_t{MiniDumpWithFullMemory}) << "flags";

  const std::string lldb = find_lldb();
  if (lldb.empty()) GTEST_SKIP() << "lldb is not installed";
  const std::string output = run_lldb(lldb, path, "-o 'target variable vt_helper_marker'");
  EXPECT_NE(output.find(std::to_string(kHelperMarker)), std::string::npos) << output;
}

TEST(MiniDumpWriteDump, OptionalStreamsFollowTheFlags) {
  HelperProcess helper({"threads", "2"});
  const DWORD pid = helper.read_pid();
  TempDir dir;
  const std::string path = dir.file("flags.dmp");
  ASSERT_TRUE(write_dump(pid, path,
                         MiniDumpWithHandleData | MiniDumpWithThreadInfo |
                             MiniDumpWithFullMemoryInfo | MiniDumpFilterModulePaths |
                             MiniDumpWithDataSegs | MiniDumpWithProcessThreadData,
                         true));
  const DumpView dump(read_file(path));
  expect_consistent(dump);
  // The process's memory is for the dump's owner alone, whatever the umask gave the new file.
  EXPECT_EQ(std::filesystem::status(path).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  const auto streams = dump.streams();
  ASSERT_TRUE(streams.contains(kHandleData) && streams.contains(kThreadInfoList) &&
              streams.contains(kMemoryInfoList));

  // Handles: the helper's standard descriptors, stdout being our pipe.
  const auto handles = streams.at(kHandleData);
  const std::uint32_t handle_count = dump.u32(handles.rva + 8);
  EXPECT_EQ(handles.size, 16 + 32 * handle_count);
  std::set<std::uint64_t> fds;
  for (std::uint32_t i = 0; i < handle_count; ++i) {
    const std::uint64_t entry = handles.rva + 16 + 32ull * i;
    fds.insert(dump.u64(entry));
    if (dump.u64(entry) == 1) {
      EXPECT_EQ(dump.string_at(dump.u32(entry + 8)), "pipe");
    }
  }
  EXPECT_TRUE(fds.contains(0) && fds.contains(1) && fds.contains(2));

  const auto infos = streams.at(kThreadInfoList);
  EXPECT_EQ(dump.u32(infos.rva + 8), 3u);
  EXPECT_EQ(infos.size, 12 + 64 * 3u);
  const auto regions = streams.at(kMemoryInfoList);
  EXPECT_EQ(regions.size, 16 + 48 * dump.u64(regions.rva + 8));

  // Module names without folders; the data segments add memory beyond the three stacks.
  const auto modules = streams.at(kModuleList);
  for (std::uint32_t i = 0; i < dump.u32(modules.rva); ++i) {
    const std::string name = dump.string_at(dump.u32(modules.rva + 4 + 108 * i + 20));
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(name.find('/'), std::string::npos) << name;
  }
  EXPECT_GT(dump.u32(streams.at(kMemoryList).rva), 3u);
}

TEST(MiniDumpWriteDump, RefusesBadArguments) {
  HelperProcess helper({"threads", "1"});
  const DWORD pid = helper.read_pid();
  TempDir dir;
  HANDLE file = CreateFileA(dir.file("refused.dmp").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  HANDLE query = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(process != nullptr && query != nullptr);

  const struct {
    HANDLE process;
    DWORD pid;
    HANDLE file;
    MINIDUMP_TYPE type;
    DWORD error;
  } cases[] = {
      {nullptr, pid, file, MiniDumpNormal, ERROR_INVALID_HANDLE},
      {process, pid, process, MiniDumpNormal, ERROR_INVALID_HANDLE},
      {query, pid, file, MiniDumpNormal, ERROR_ACCESS_DENIED},
      {process, pid + 1, file, MiniDumpNormal, ERROR_INVALID_PARAMETER},
      {process, pid, file, static_cast<MINIDUMP_TYPE>(0x80000000), ERROR_INVALID_PARAMETER},
      {GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, ERROR_NOT_SUPPORTED},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(MiniDumpWriteDump(c.process, c.pid, c.file, c.type, nullptr, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), c.error);
  }
  struct stat status {};
  EXPECT_EQ(::stat(dir.file("refused.dmp").c_str(), &status), 0);
  EXPECT_EQ(status.st_size, 0) << "nothing written by a refused call";

  // A process that has ended.
  helper.end();
  EXPECT_FALSE(MiniDumpWriteDump(process, pid, file, MiniDumpNormal, nullptr, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  CloseHandle(query);
  CloseHandle(process);
  CloseHandle(file);
}

}  // namespace
