// Reading another process's memory with pread on /proc/PID/mem, and finding the GNU build id note
// of an ELF file in it.
#include "win32/debug/process_memory_linux.h"

#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string>

#include "win32/core/eintr.h"

namespace vtplatform {
namespace {

constexpr std::uint64_t kPageSize = 4096;
// Bounds on what an ELF header in memory may ask us to read.
constexpr std::size_t kMaxProgramHeaders = 256;
constexpr std::size_t kMaxNotesSize = 64 * 1024;

template <class T>
bool read_record(const ProcessMemory& memory, std::uint64_t address, T& record) {
  return memory.read(address, &record, sizeof record) == sizeof record;
}

// The descriptor of the note of type NT_GNU_BUILD_ID from "GNU" in a PT_NOTE segment's bytes.
std::vector<std::uint8_t> find_build_id_note(const std::vector<std::uint8_t>& notes) {
  auto align4 = [](std::size_t n) { return (n + 3) & ~std::size_t{3}; };
  std::size_t at = 0;
  while (at + sizeof(Elf64_Nhdr) <= notes.size()) {
    Elf64_Nhdr note;
    std::memcpy(&note, notes.data() + at, sizeof note);
    const std::size_t name_at = at + sizeof note;
    const std::size_t desc_at = name_at + align4(note.n_namesz);
    const std::size_t next = desc_at + align4(note.n_descsz);
    if (next > notes.size() || next <= at) break;
    if (note.n_type == NT_GNU_BUILD_ID && note.n_namesz == 4 &&
        std::memcmp(notes.data() + name_at, "GNU", 4) == 0) {
      return {notes.begin() + static_cast<std::ptrdiff_t>(desc_at),
              notes.begin() + static_cast<std::ptrdiff_t>(desc_at + note.n_descsz)};
    }
    at = next;
  }
  return {};
}

}  // namespace

ErrorOr<ProcessMemory> ProcessMemory::open(pid_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/mem";
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return errno_code();
  return ProcessMemory(std::move(fd));
}

std::size_t ProcessMemory::read(std::uint64_t address, void* buffer, std::size_t size) const {
  std::size_t done = 0;
  // Offsets of /proc/PID/mem are addresses; those past the signed range (the kernel's own) are
  // never readable.
  constexpr auto kMaxOffset = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
  while (done < size && address + done <= kMaxOffset) {
    const ssize_t count = retry_on_eintr([&] {
      return ::pread(fd_.get(), static_cast<char*>(buffer) + done, size - done,
                     static_cast<off_t>(address + done));
    });
    if (count <= 0) break;
    done += static_cast<std::size_t>(count);
  }
  return done;
}

void ProcessMemory::read_zero_filled(std::uint64_t address, void* buffer, std::size_t size) const {
  auto* bytes = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    done += read(address + done, bytes + done, size - done);
    if (done == size) break;
    // Skips the unreadable page, leaving it zero.
    const std::uint64_t page_end = ((address + done) / kPageSize + 1) * kPageSize;
    const std::size_t skip = std::min<std::uint64_t>(page_end - (address + done), size - done);
    std::memset(bytes + done, 0, skip);
    done += skip;
  }
}

std::vector<std::uint8_t> read_build_id(const ProcessMemory& memory, std::uint64_t base) {
  Elf64_Ehdr header;
  if (!read_record(memory, base, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
      header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_phentsize != sizeof(Elf64_Phdr) ||
      header.e_phnum > kMaxProgramHeaders) {
    return {};
  }
  std::vector<Elf64_Phdr> headers(header.e_phnum);
  const std::size_t headers_size = headers.size() * sizeof(Elf64_Phdr);
  if (memory.read(base + header.e_phoff, headers.data(), headers_size) != headers_size) return {};

  // The first mapping holds the lowest loadable segment, so the load bias is what moves that
  // segment's page to `base`.
  std::uint64_t lowest = std::numeric_limits<std::uint64_t>::max();
  for (const Elf64_Phdr& segment : headers) {
    if (segment.p_type == PT_LOAD) lowest = std::min(lowest, segment.p_vaddr & ~(kPageSize - 1));
  }
  if (lowest == std::numeric_limits<std::uint64_t>::max()) return {};
  const std::uint64_t bias = base - lowest;
  for (const Elf64_Phdr& segment : headers) {
    if (segment.p_type != PT_NOTE || segment.p_memsz > kMaxNotesSize) continue;
    std::vector<std::uint8_t> notes(segment.p_memsz);
    notes.resize(memory.read(bias + segment.p_vaddr, notes.data(), notes.size()));
    auto build_id = find_build_id_note(notes);
    if (!build_id.empty()) return build_id;
  }
  return {};
}

}  // namespace vtplatform
