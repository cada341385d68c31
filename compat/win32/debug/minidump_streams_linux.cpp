// The system, process, module, handle and information streams of a Linux minidump.
#include "win32/debug/minidump_streams_linux.h"

#include <cpuid.h>
#include <dirent.h>
#include <sched.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <map>
#include <string>

#include "win32/core/read_file.h"

namespace vtplatform::minidump {
namespace {

constexpr std::uint64_t kFileTimeUnitsPerSecond = 10'000'000;
constexpr std::uint64_t kSecondsFrom1601To1970 = 11'644'473'600;
constexpr std::uint32_t kStillActive = 259;  // the exit status of a running thread

std::uint64_t ticks_per_second() { return static_cast<std::uint64_t>(::sysconf(_SC_CLK_TCK)); }

std::uint64_t ticks_to_file_time_units(std::uint64_t ticks) {
  return ticks * kFileTimeUnitsPerSecond / ticks_per_second();
}

std::string proc_path(pid_t pid, const char* entry) {
  return "/proc/" + std::to_string(pid) + "/" + entry;
}

// The leading number of `text` ("6" of "6.1.0-18-amd64"); `text` keeps what follows the next dot.
std::uint32_t take_version_number(std::string_view& text) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  if (!text.empty() && text.front() == '.') text.remove_prefix(1);
  return error == std::errc() ? value : 0;
}

}  // namespace

bool DumpSource::is_module_mapping(const MemoryRegion& region) const {
  return region.is_file() &&
         std::any_of(modules.begin(), modules.end(), [&](const MappedModule& module) {
           return module.base <= region.start && region.end <= module.end &&
                  module.path == without_deleted_mark(region.path);
         });
}

void write_system_info(DumpFile& file) {
  SystemInfo info{};
  info.processor_architecture = kProcessorArchitectureAmd64;
  info.platform_id = kPlatformLinux;
  info.number_of_processors =
      static_cast<std::uint8_t>(std::clamp<long>(::sysconf(_SC_NPROCESSORS_CONF), 1, UCHAR_MAX));
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(0, &eax, &ebx, &ecx, &edx) != 0) {
    info.vendor_id[0] = ebx;  // the vendor text runs through ebx, edx, ecx
    info.vendor_id[1] = edx;
    info.vendor_id[2] = ecx;
  }
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0) {
    info.version_information = eax;
    info.feature_information = edx;
    // Family and model with their extensions, as the processor level and revision.
    const unsigned family = ((eax >> 8) & 0xF) + ((eax >> 8 & 0xF) == 0xF ? (eax >> 20) & 0xFF : 0);
    const unsigned model = ((eax >> 4) & 0xF) | ((eax >> 12) & 0xF0);
    info.processor_level = static_cast<std::uint16_t>(family);
    info.processor_revision = static_cast<std::uint16_t>((model << 8) | (eax & 0xF));
  }
  if (__get_cpuid(0x80000001, &eax, &ebx, &ecx, &edx) != 0) info.amd_extended_cpu_features = edx;

  utsname name{};
  if (::uname(&name) == 0) {
    std::string_view release = name.release;
    info.major_version = take_version_number(release);
    info.minor_version = take_version_number(release);
    info.build_number = take_version_number(release);
    info.csd_version_rva = file.append_string(std::string(name.sysname) + ' ' + name.release +
                                              ' ' + name.version + ' ' + name.machine);
  }
  file.add_stream(kSystemInfoStream, file.append(info));
}

void write_misc_info(DumpFile& file, const DumpSource& source) {
  MiscInfo info{};
  info.size_of_info = sizeof info;
  info.flags1 = kMiscInfoProcessId;
  info.process_id = static_cast<std::uint32_t>(source.pid);
  if (const auto boot = boot_time()) {
    info.flags1 |= kMiscInfoProcessTimes;
    info.process_create_time =
        static_cast<std::uint32_t>(*boot + source.stat.start_ticks / ticks_per_second());
    info.process_user_time =
        static_cast<std::uint32_t>(source.stat.user_ticks / ticks_per_second());
    info.process_kernel_time =
        static_cast<std::uint32_t>(source.stat.kernel_ticks / ticks_per_second());
  }
  file.add_stream(kMiscInfoStream, file.append(info));
}

void write_linux_streams(DumpFile& file, const DumpSource& source) {
  const std::pair<std::uint32_t, std::string> streams[] = {
      {kLinuxCpuInfoStream, "/proc/cpuinfo"},
      {kLinuxProcStatusStream, proc_path(source.pid, "status")},
      {kLinuxCmdLineStream, proc_path(source.pid, "cmdline")},
      {kLinuxEnvironStream, proc_path(source.pid, "environ")},
      {kLinuxAuxvStream, proc_path(source.pid, "auxv")},
      {kLinuxMapsStream, proc_path(source.pid, "maps")},
  };
  for (const auto& [type, path] : streams) {
    if (const auto text = read_file(path)) {
      file.add_stream(type, file.append(text->data(), text->size()));
    }
  }
}

void write_module_list(DumpFile& file, const DumpSource& source) {
  std::vector<Module> modules;
  for (const MappedModule& mapped : source.modules) {
    Module module{};
    module.base_of_image = mapped.base;
    module.size_of_image = static_cast<std::uint32_t>(mapped.end - mapped.base);
    std::string_view name = mapped.path;
    if ((source.type & MiniDumpFilterModulePaths) != 0) name.remove_prefix(name.rfind('/') + 1);
    module.module_name_rva = file.append_string(name);
    const auto build_id = read_build_id(source.memory, mapped.base);
    if (!build_id.empty()) {
      module.cv_record = file.append(kCvSignatureElfBuildId);
      module.cv_record.data_size += file.append(build_id).data_size;
    }
    modules.push_back(module);
  }
  file.add_stream(kModuleListStream,
                  file.append_list(static_cast<std::uint32_t>(modules.size()), modules));
}

void write_handle_data(DumpFile& file, const DumpSource& source) {
  // Descriptor numbers in ascending order, with what each names.
  std::map<int, std::string> links;
  const std::string folder = proc_path(source.pid, "fd");
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      int fd = 0;
      const char* end = entry->d_name + std::strlen(entry->d_name);
      if (std::from_chars(entry->d_name, end, fd).ptr != end || entry->d_name == end) continue;
      char target[PATH_MAX];
      const ssize_t length =
          ::readlink((folder + '/' + entry->d_name).c_str(), target, sizeof target);
      if (length > 0) links.emplace(fd, std::string(target, static_cast<std::size_t>(length)));
    }
    ::closedir(dir);
  }
  std::vector<HandleDescriptor> descriptors;
  for (const auto& [fd, target] : links) {
    HandleDescriptor descriptor{};
    descriptor.handle = static_cast<std::uint64_t>(fd);
    // A file has a path; other objects show as "kind:[inode]" or "anon_inode:kind".
    const std::string type = target.starts_with('/') ? "File" : target.substr(0, target.find(':'));
    descriptor.type_name_rva = file.append_string(type);
    descriptor.object_name_rva = file.append_string(target);
    descriptor.handle_count = 1;
    descriptors.push_back(descriptor);
  }
  const HandleDataHeader header{sizeof(HandleDataHeader), sizeof(HandleDescriptor),
                                static_cast<std::uint32_t>(descriptors.size()), 0};
  file.add_stream(kHandleDataStream, file.append_list(header, descriptors));
}

void write_thread_info_list(DumpFile& file, const DumpSource& source) {
  std::map<pid_t, ProcessStat> stats;
  for (ProcessStat& stat : read_thread_stats(source.pid).value_or(std::vector<ProcessStat>())) {
    stats.emplace(stat.pid, std::move(stat));
  }
  const auto boot = boot_time();
  std::vector<ThreadInfo> entries;
  for (const pid_t tid : source.threads) {
    ThreadInfo entry{};
    entry.thread_id = static_cast<std::uint32_t>(tid);
    entry.exit_status = kStillActive;
    if (const auto stat = stats.find(tid); stat != stats.end()) {
      if (boot) {
        entry.create_time = (*boot + kSecondsFrom1601To1970) * kFileTimeUnitsPerSecond +
                            ticks_to_file_time_units(stat->second.start_ticks);
      }
      entry.kernel_time = ticks_to_file_time_units(stat->second.kernel_ticks);
      entry.user_time = ticks_to_file_time_units(stat->second.user_ticks);
    }
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    if (::sched_getaffinity(tid, sizeof cpus, &cpus) == 0) {
      for (unsigned cpu = 0; cpu < 64; ++cpu) {
        if (CPU_ISSET(cpu, &cpus)) entry.affinity |= std::uint64_t{1} << cpu;
      }
    }
    entries.push_back(entry);
  }
  const ThreadInfoListHeader header{sizeof(ThreadInfoListHeader), sizeof(ThreadInfo),
                                    static_cast<std::uint32_t>(entries.size())};
  file.add_stream(kThreadInfoListStream, file.append_list(header, entries));
}

void write_memory_info_list(DumpFile& file, const DumpSource& source) {
  std::vector<MemoryInfo> entries;
  for (const MemoryRegion& region : source.regions) {
    MemoryInfo info{};
    info.base_address = region.start;
    info.allocation_base = region.start;
    info.region_size = region.end - region.start;
    info.state = kMemCommit;
    if (!region.readable) {
      info.protect = kPageNoAccess;
    } else if (region.executable) {
      info.protect = region.writable ? kPageExecuteReadWrite : kPageExecuteRead;
    } else {
      info.protect = region.writable ? kPageReadWrite : kPageReadOnly;
    }
    if (region.executable && !region.readable) info.protect = kPageExecute;
    info.allocation_protect = info.protect;
    info.type = source.is_module_mapping(region) ? kMemImage
                : region.is_file()                ? kMemMapped
                                                  : kMemPrivate;
    entries.push_back(info);
  }
  const MemoryInfoListHeader header{sizeof(MemoryInfoListHeader), sizeof(MemoryInfo),
                                    entries.size()};
  file.add_stream(kMemoryInfoListStream, file.append_list(header, entries));
}

}  // namespace vtplatform::minidump
