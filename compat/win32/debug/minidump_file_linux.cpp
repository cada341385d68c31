// Writing the records, strings, directory and header of a minidump file.
#include "win32/debug/minidump_file_linux.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "vtplatform/win32/error.h"
#include "win32/core/eintr.h"
#include "win32/core/errno_error.h"
#include "win32/text/code_pages.h"

namespace vtplatform::minidump {
namespace {

constexpr DWORD kErrorFileTooLarge = 223;  // ERROR_FILE_TOO_LARGE
constexpr std::uint64_t kRvaLimit = std::uint64_t{1} << 32;

}  // namespace

DumpFile::DumpFile(int fd, std::uint32_t stream_count)
    : fd_(fd),
      stream_count_(stream_count),
      end_(sizeof(Header) + std::uint64_t{stream_count} * sizeof(Directory)) {}

void DumpFile::write_at(std::uint64_t offset, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0 && error_ == 0) {
    const ssize_t written =
        retry_on_eintr([&] { return ::pwrite(fd_, bytes, size, static_cast<off_t>(offset)); });
    if (written <= 0) {
      error_ = written < 0 ? win32_error_from_errno(errno) : ERROR_DISK_FULL;
      return;
    }
    bytes += written;
    offset += static_cast<std::uint64_t>(written);
    size -= static_cast<std::size_t>(written);
  }
}

LocationDescriptor DumpFile::append(const void* data, std::size_t size) {
  if (end_ + size > kRvaLimit && error_ == 0) error_ = kErrorFileTooLarge;
  const LocationDescriptor location{static_cast<std::uint32_t>(size),
                                    static_cast<std::uint32_t>(end_)};
  append_bulk(data, size);
  return location;
}

void DumpFile::append_bulk(const void* data, std::size_t size) {
  write_at(end_, data, size);
  end_ += size;
}

std::uint32_t DumpFile::append_string(std::string_view text) {
  // Names are bytes in the ANSI code page, as every narrow path of the layer.
  bool lossy = false;
  std::u16string characters = ansi_code_page().decode(text, lossy);
  const auto length = static_cast<std::uint32_t>(characters.size() * sizeof(char16_t));
  characters.push_back(u'\0');
  const std::uint32_t rva = append(length).rva;
  append(characters.data(), characters.size() * sizeof(char16_t));
  return rva;
}

void DumpFile::add_stream(std::uint32_t type, LocationDescriptor location) {
  const bool duplicate = std::any_of(directory_.begin(), directory_.end(),
                                     [type](const Directory& d) { return d.stream_type == type; });
  if ((duplicate || directory_.size() == stream_count_) && error_ == 0) {
    // More streams than were planned, or one type twice: a fault of the writer, not the file.
    error_ = ERROR_INVALID_PARAMETER;
    return;
  }
  directory_.push_back({type, location});
}

void DumpFile::finish(std::uint64_t flags) {
  if (error_ != 0) return;
  // The room of planned streams that were left out stays unused behind the directory.
  write_at(sizeof(Header), directory_.data(), directory_.size() * sizeof(Directory));
  const Header header{kSignature,
                      kVersion,
                      static_cast<std::uint32_t>(directory_.size()),
                      sizeof(Header),
                      0,
                      static_cast<std::uint32_t>(std::time(nullptr)),
                      flags};
  write_at(0, &header, sizeof header);
}

}  // namespace vtplatform::minidump
