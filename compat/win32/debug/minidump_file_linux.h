// DumpFile: the layout of a minidump file as it is written. Records are appended one after the
// other and addressed by their offset (RVA); the stream directory and the header go in last, so
// that a dump cut short by an error never looks complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "vtplatform/win32/types.h"
#include "win32/debug/minidump_format.h"

namespace vtplatform::minidump {

class DumpFile {
 public:
  // Writes to `fd` from offset 0 on, leaving room for the header and a directory of at most
  // `stream_count` streams.
  DumpFile(int fd, std::uint32_t stream_count);

  // The offset where the next record goes.
  std::uint64_t end() const { return end_; }
  // The first error (a Win32 code), ERROR_SUCCESS while everything was written.
  DWORD error() const { return error_; }

  // Appends `size` bytes and returns where they start. Records that other records point to must
  // start below 4 GiB; past that the file fails with ERROR_FILE_TOO_LARGE.
  LocationDescriptor append(const void* data, std::size_t size);
  template <class T>
  LocationDescriptor append(const T& record) {
    return append(&record, sizeof record);
  }
  template <class T>
  LocationDescriptor append(const std::vector<T>& records) {
    return append(records.data(), records.size() * sizeof(T));
  }
  // Appends a list stream's record count and then its records; returns the whole stream.
  template <class Count, class T>
  LocationDescriptor append_list(Count count, const std::vector<T>& records) {
    LocationDescriptor location = append(count);
    location.data_size += append(records).data_size;
    return location;
  }
  // Appends bytes that need no RVA (the data of a 64-bit memory list) and may lie past 4 GiB.
  void append_bulk(const void* data, std::size_t size);
  // Appends `text` (ANSI code page) as a length-prefixed UTF-16 string with a terminator; returns
  // its RVA.
  std::uint32_t append_string(std::string_view text);

  // Enters a stream in the directory. One type twice, or more streams than planned, fails the
  // file with ERROR_INVALID_PARAMETER.
  void add_stream(std::uint32_t type, LocationDescriptor location);
  // Writes the directory and then the header with `flags`; nothing after an error.
  void finish(std::uint64_t flags);

 private:
  void write_at(std::uint64_t offset, const void* data, std::size_t size);

  int fd_;
  std::uint32_t stream_count_;
  std::uint64_t end_;
  DWORD error_ = 0;
  std::vector<Directory> directory_;
};

}  // namespace vtplatform::minidump
