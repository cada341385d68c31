// The records of the minidump file format, laid out byte for byte as they are stored (little
// endian, 4-byte packing), with the stream types and constants that the Linux writer uses.
#pragma once

#include <cstdint>

namespace vtplatform::minidump {

inline constexpr std::uint32_t kSignature = 0x504D444D;  // "MDMP"
inline constexpr std::uint32_t kVersion = 0xA793;

// Stream types: the standard ones and the Linux extensions of the format.
enum StreamType : std::uint32_t {
  kThreadListStream = 3,
  kModuleListStream = 4,
  kMemoryListStream = 5,
  kSystemInfoStream = 7,
  kMemory64ListStream = 9,
  kHandleDataStream = 12,
  kMiscInfoStream = 15,
  kMemoryInfoListStream = 16,
  kThreadInfoListStream = 17,
  kLinuxCpuInfoStream = 0x47670003,
  kLinuxProcStatusStream = 0x47670004,
  kLinuxCmdLineStream = 0x47670006,
  kLinuxEnvironStream = 0x47670007,
  kLinuxAuxvStream = 0x47670008,
  kLinuxMapsStream = 0x47670009,
};

inline constexpr std::uint16_t kProcessorArchitectureAmd64 = 9;
inline constexpr std::uint32_t kPlatformLinux = 0x8201;
inline constexpr std::uint32_t kMiscInfoProcessId = 0x1;
inline constexpr std::uint32_t kMiscInfoProcessTimes = 0x2;
// The CodeView signature of a record that holds an ELF file's GNU build id ("BpEL").
inline constexpr std::uint32_t kCvSignatureElfBuildId = 0x4270454C;

// AMD64 context: the architecture and the parts that are filled in.
inline constexpr std::uint32_t kContextAmd64 = 0x00100000;
inline constexpr std::uint32_t kContextControl = kContextAmd64 | 0x1;
inline constexpr std::uint32_t kContextInteger = kContextAmd64 | 0x2;
inline constexpr std::uint32_t kContextSegments = kContextAmd64 | 0x4;
inline constexpr std::uint32_t kContextFloatingPoint = kContextAmd64 | 0x8;

// Memory information: state, kind and protection of a region.
inline constexpr std::uint32_t kMemCommit = 0x1000;
inline constexpr std::uint32_t kMemPrivate = 0x20000;
inline constexpr std::uint32_t kMemMapped = 0x40000;
inline constexpr std::uint32_t kMemImage = 0x1000000;
inline constexpr std::uint32_t kPageNoAccess = 0x01;
inline constexpr std::uint32_t kPageReadOnly = 0x02;
inline constexpr std::uint32_t kPageReadWrite = 0x04;
inline constexpr std::uint32_t kPageExecute = 0x10;
inline constexpr std::uint32_t kPageExecuteRead = 0x20;
inline constexpr std::uint32_t kPageExecuteReadWrite = 0x40;

#pragma pack(push, 4)

struct LocationDescriptor {
  std::uint32_t data_size;
  std::uint32_t rva;
};

struct Header {
  std::uint32_t signature;
  std::uint32_t version;
  std::uint32_t number_of_streams;
  std::uint32_t stream_directory_rva;
  std::uint32_t checksum;
  std::uint32_t time_date_stamp;
  std::uint64_t flags;
};
static_assert(sizeof(Header) == 32);

struct Directory {
  std::uint32_t stream_type;
  LocationDescriptor location;
};
static_assert(sizeof(Directory) == 12);

struct MemoryDescriptor {
  std::uint64_t start_of_memory_range;
  LocationDescriptor memory;
};
static_assert(sizeof(MemoryDescriptor) == 16);

struct MemoryDescriptor64 {
  std::uint64_t start_of_memory_range;
  std::uint64_t data_size;
};

struct Memory64ListHeader {
  std::uint64_t number_of_memory_ranges;
  std::uint64_t base_rva;
};

struct Thread {
  std::uint32_t thread_id;
  std::uint32_t suspend_count;
  std::uint32_t priority_class;
  std::uint32_t priority;
  std::uint64_t teb;
  MemoryDescriptor stack;
  LocationDescriptor thread_context;
};
static_assert(sizeof(Thread) == 48);

// The AMD64 register context; the floating-point area has the FXSAVE layout.
struct ContextAmd64 {
  std::uint64_t p_home[6];
  std::uint32_t context_flags;
  std::uint32_t mx_csr;
  std::uint16_t seg_cs, seg_ds, seg_es, seg_fs, seg_gs, seg_ss;
  std::uint32_t eflags;
  std::uint64_t dr0, dr1, dr2, dr3, dr6, dr7;
  std::uint64_t rax, rcx, rdx, rbx, rsp, rbp, rsi, rdi;
  std::uint64_t r8, r9, r10, r11, r12, r13, r14, r15;
  std::uint64_t rip;
  std::uint8_t flt_save[512];
  std::uint8_t vector_register[26 * 16];
  std::uint64_t vector_control;
  std::uint64_t debug_control;
  std::uint64_t last_branch_to_rip;
  std::uint64_t last_branch_from_rip;
  std::uint64_t last_exception_to_rip;
  std::uint64_t last_exception_from_rip;
};
static_assert(sizeof(ContextAmd64) == 1232);

struct FixedFileInfo {
  std::uint32_t fields[13];
};

struct Module {
  std::uint64_t base_of_image;
  std::uint32_t size_of_image;
  std::uint32_t checksum;
  std::uint32_t time_date_stamp;
  std::uint32_t module_name_rva;
  FixedFileInfo version_info;
  LocationDescriptor cv_record;
  LocationDescriptor misc_record;
  std::uint64_t reserved0;
  std::uint64_t reserved1;
};
static_assert(sizeof(Module) == 108);

struct SystemInfo {
  std::uint16_t processor_architecture;
  std::uint16_t processor_level;
  std::uint16_t processor_revision;
  std::uint8_t number_of_processors;
  std::uint8_t product_type;
  std::uint32_t major_version;
  std::uint32_t minor_version;
  std::uint32_t build_number;
  std::uint32_t platform_id;
  std::uint32_t csd_version_rva;
  std::uint16_t suite_mask;
  std::uint16_t reserved2;
  std::uint32_t vendor_id[3];
  std::uint32_t version_information;
  std::uint32_t feature_information;
  std::uint32_t amd_extended_cpu_features;
};
static_assert(sizeof(SystemInfo) == 56);

struct MiscInfo {
  std::uint32_t size_of_info;
  std::uint32_t flags1;
  std::uint32_t process_id;
  std::uint32_t process_create_time;  // seconds since 1970
  std::uint32_t process_user_time;    // seconds
  std::uint32_t process_kernel_time;  // seconds
};
static_assert(sizeof(MiscInfo) == 24);

struct HandleDataHeader {
  std::uint32_t size_of_header;
  std::uint32_t size_of_descriptor;
  std::uint32_t number_of_descriptors;
  std::uint32_t reserved;
};

struct HandleDescriptor {
  std::uint64_t handle;
  std::uint32_t type_name_rva;
  std::uint32_t object_name_rva;
  std::uint32_t attributes;
  std::uint32_t granted_access;
  std::uint32_t handle_count;
  std::uint32_t pointer_count;
};
static_assert(sizeof(HandleDescriptor) == 32);

struct ThreadInfoListHeader {
  std::uint32_t size_of_header;
  std::uint32_t size_of_entry;
  std::uint32_t number_of_entries;
};

struct ThreadInfo {
  std::uint32_t thread_id;
  std::uint32_t dump_flags;
  std::uint32_t dump_error;
  std::uint32_t exit_status;
  std::uint64_t create_time;  // FILETIME
  std::uint64_t exit_time;
  std::uint64_t kernel_time;  // 100-nanosecond units
  std::uint64_t user_time;
  std::uint64_t start_address;
  std::uint64_t affinity;
};
static_assert(sizeof(ThreadInfo) == 64);

struct MemoryInfoListHeader {
  std::uint32_t size_of_header;
  std::uint32_t size_of_entry;
  std::uint64_t number_of_entries;
};

struct MemoryInfo {
  std::uint64_t base_address;
  std::uint64_t allocation_base;
  std::uint32_t allocation_protect;
  std::uint32_t alignment1;
  std::uint64_t region_size;
  std::uint32_t state;
  std::uint32_t protect;
  std::uint32_t type;
  std::uint32_t alignment2;
};
static_assert(sizeof(MemoryInfo) == 48);

#pragma pack(pop)

}  // namespace vtplatform::minidump
