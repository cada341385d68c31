// Compound files for the dependency tests, in memory and on disk, and direct access to the bytes
// of their "FOPDependencies" stream.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "vtutils/platform/storage.h"

namespace vtutils::testing {

inline constexpr OLECHAR kDependencyStream[] = L"FOPDependencies";

// Gives back one counted reference when its holder goes.
struct ReleaseInterface {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using ComRef = std::unique_ptr<T, ReleaseInterface>;

// A compound file in memory, open for reading and writing; null when it cannot be made.
ComRef<IStorage> create_memory_storage();
// A new compound file at `path`, open for reading and writing; null when it cannot be made.
ComRef<IStorage> create_file_storage(const std::filesystem::path& path);
// The compound file at `path`, open for reading; null when it cannot be opened.
ComRef<IStorage> open_file_storage(const std::filesystem::path& path);

// The whole content of the storage's dependency stream; nothing when there is no such stream.
std::optional<std::string> read_dependency_stream(IStorage& storage);
// Makes `bytes` the content of the storage's dependency stream. False when the storage refuses.
bool write_dependency_stream(IStorage& storage, std::string_view bytes);

}  // namespace vtutils::testing
