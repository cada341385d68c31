// The streams of a minidump of a stopped Linux process, each written by one function from what
// /proc, cpuid and the process's memory tell.
#pragma once

#include <sys/types.h>

#include <vector>

#include "vtplatform/win32/minidump.h"
#include "win32/debug/minidump_file_linux.h"
#include "win32/debug/process_memory_linux.h"
#include "win32/process/proc_maps_linux.h"
#include "win32/process/process_stat_linux.h"

namespace vtplatform::minidump {

// The process as the streams see it, read once while it is stopped.
struct DumpSource {
  pid_t pid;
  ProcessStat stat;
  const ProcessMemory& memory;
  std::vector<MemoryRegion> regions;  // in address order
  std::vector<MappedModule> modules;
  std::vector<pid_t> threads;  // the main thread first
  MINIDUMP_TYPE type;

  // Whether `region` maps part of one of the modules.
  bool is_module_mapping(const MemoryRegion& region) const;
};

// The number of streams write_dump_streams may write at most.
inline constexpr std::uint32_t kMaxStreams = 16;

// The machine: AMD64, Linux with the kernel's version, the CPU from cpuid.
void write_system_info(DumpFile& file);
// The process id and its creation, user and kernel times in seconds.
void write_misc_info(DumpFile& file, const DumpSource& source);
// The Linux streams: /proc/cpuinfo and the process's status, cmdline, environ, auxv and maps, as
// their raw bytes; a file that cannot be read is left out.
void write_linux_streams(DumpFile& file, const DumpSource& source);
// The modules with their extents, names and build ids.
void write_module_list(DumpFile& file, const DumpSource& source);
// The open file descriptors (MiniDumpWithHandleData).
void write_handle_data(DumpFile& file, const DumpSource& source);
// The times and affinity of every thread (MiniDumpWithThreadInfo).
void write_thread_info_list(DumpFile& file, const DumpSource& source);
// Every mapping with its rights and kind (MiniDumpWithFullMemoryInfo).
void write_memory_info_list(DumpFile& file, const DumpSource& source);
// The threads with their registers and stacks, and the memory list (or, with
// MiniDumpWithFullMemory, the 64-bit memory list at the end of the file) that holds the stacks and
// the memory that the type asks for.
void write_threads_and_memory(DumpFile& file, const DumpSource& source);

}  // namespace vtplatform::minidump
