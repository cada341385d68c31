// The shell's narrow path functions on path text, with '/' and '\' both read as separators. Paths
// are walked by characters of the ANSI code page, so the trail byte of a double-byte character
// is never taken for a '\'.
#include "vtplatform/win32/shell_path.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/text/ansi_text.h"

namespace {

using vtplatform::AnsiText;

constexpr std::string_view kSeparators = "/\\";
// The characters a path may have before its terminator.
constexpr std::size_t kMaxLength = MAX_PATH - 1;

bool is_separator(char c) { return kSeparators.find(c) != std::string_view::npos; }

bool ends_with_separator(std::string_view path) {
  return !path.empty() && AnsiText(path).find_last_of(kSeparators) == path.size() - 1;
}

// The text of a path argument, or nothing when it is null or too long for a MAX_PATH buffer.
// Reads no further than MAX_PATH characters.
std::optional<std::string_view> read(LPCSTR text) {
  if (text == nullptr) return std::nullopt;
  const std::size_t length = strnlen(text, MAX_PATH);
  if (length > kMaxLength) return std::nullopt;
  return std::string_view(text, length);
}

// Copies `text` with its terminator into the MAX_PATH buffer `buffer`; FALSE, with the buffer
// unchanged, when it does not fit.
BOOL store(LPSTR buffer, const std::string& text) {
  if (text.size() > kMaxLength) return FALSE;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return TRUE;
}

// Where the last component starts: after the last separator that is followed by something other
// than a separator, so that a trailing separator stays with the component before it.
std::size_t file_name_offset(std::string_view path) {
  const AnsiText text(path);
  std::size_t start = 0;
  for (std::size_t separator = text.find_first_of(kSeparators);
       separator != std::string_view::npos;
       separator = text.find_first_of(kSeparators, separator + 1)) {
    if (separator + 1 < path.size() && !is_separator(path[separator + 1])) start = separator + 1;
  }
  return start;
}

// Where the extension starts: at the last '.' that no separator or space follows; the end of the
// path when there is none.
std::size_t extension_offset(std::string_view path) {
  const std::size_t dot = AnsiText(path).find_last_of("./\\ ");
  return dot != std::string_view::npos && path[dot] == '.' ? dot : path.size();
}

// `path` with "." elements and empty elements dropped and ".." resolved against the element
// before it, written with '/'. A ".." at the root is dropped; one that climbs above the start of
// a relative path is kept.
std::string canonical(std::string_view path) {
  if (path.empty()) return std::string();
  const bool rooted = is_separator(path.front());
  const AnsiText text(path);
  std::vector<std::string_view> elements;
  for (std::size_t begin = 0; begin < path.size();) {
    const std::size_t end = std::min(text.find_first_of(kSeparators, begin), path.size());
    const std::string_view element = path.substr(begin, end - begin);
    begin = end + 1;
    if (element.empty() || element == ".") continue;
    if (element == "..") {
      if (!elements.empty() && elements.back() != "..") {
        elements.pop_back();
        continue;
      }
      if (rooted) continue;
    }
    elements.push_back(element);
  }
  std::string result = rooted ? "/" : "";
  for (std::size_t i = 0; i < elements.size(); ++i) {
    if (i > 0) result += '/';
    result += elements[i];
  }
  if (elements.empty()) return rooted ? result : ".";
  if (ends_with_separator(path)) result += '/';
  return result;
}

// The status of the object at `path`, or nothing when the path is unusable or names nothing.
std::optional<struct stat> status_of(LPCSTR path) {
  const auto text = read(path);
  struct stat status;
  if (!text || text->empty() || stat(path, &status) != 0) return std::nullopt;
  return status;
}

}  // namespace

LPSTR PathFindFileNameA(LPCSTR path) {
  if (path == nullptr) return nullptr;
  return const_cast<LPSTR>(path) + file_name_offset(path);
}

LPSTR PathFindExtensionA(LPCSTR path) {
  if (path == nullptr) return nullptr;
  return const_cast<LPSTR>(path) + extension_offset(path);
}

BOOL PathAddExtensionA(LPSTR path, LPCSTR extension) {
  const auto text = read(path);
  if (!text || extension_offset(*text) != text->size()) return FALSE;
  if (extension == nullptr || *extension == '\0') extension = ".exe";
  const auto added = read(extension);
  if (!added) return FALSE;
  return store(path, std::string(*text).append(*added));
}

BOOL PathRenameExtensionA(LPSTR path, LPCSTR extension) {
  const auto text = read(path);
  const auto added = read(extension);
  if (!text || !added) return FALSE;
  return store(path, std::string(text->substr(0, extension_offset(*text))).append(*added));
}

void PathRemoveExtensionA(LPSTR path) {
  if (path != nullptr) path[extension_offset(path)] = '\0';
}

BOOL PathRemoveFileSpecA(LPSTR path) {
  if (path == nullptr) return FALSE;
  const std::string_view text(path);
  const std::size_t separator = AnsiText(text).find_last_of(kSeparators);
  std::size_t end = 0;
  // A separator at the start is the root, which stays.
  if (separator != std::string_view::npos) end = std::max(separator, std::size_t{1});
  if (end >= text.size()) return FALSE;
  path[end] = '\0';
  return TRUE;
}

void PathStripPathA(LPSTR path) {
  if (path == nullptr) return;
  const std::string_view text(path);
  const std::size_t start = file_name_offset(text);
  std::memmove(path, path + start, text.size() - start + 1);
}

BOOL PathAppendA(LPSTR path, LPCSTR more) {
  const auto text = read(path);
  auto tail = read(more);
  if (!text || !tail) return FALSE;
  if (text->empty()) return store(path, std::string(*tail));
  // Separators at the start are whole characters: a byte search is exact there.
  tail->remove_prefix(std::min(tail->find_first_not_of(kSeparators), tail->size()));
  if (tail->empty()) return TRUE;
  std::string result(*text);
  if (!ends_with_separator(result)) result += '/';
  return store(path, result.append(*tail));
}

LPSTR PathCombineA(LPSTR destination, LPCSTR directory, LPCSTR file) {
  if (destination == nullptr) return nullptr;
  const auto folder = read(directory != nullptr ? directory : "");
  const auto name = read(file != nullptr ? file : "");
  if ((directory != nullptr || file != nullptr) && folder && name) {
    std::string joined(name->empty() ? *folder : *name);
    if (!folder->empty() && !name->empty() && !is_separator(name->front())) {
      joined.assign(*folder).append("/").append(*name);
    }
    if (store(destination, canonical(joined))) return destination;
  }
  destination[0] = '\0';
  return nullptr;
}

BOOL PathIsRelativeA(LPCSTR path) {
  return path == nullptr || !is_separator(path[0]);
}

BOOL PathFileExistsA(LPCSTR path) { return status_of(path).has_value(); }

BOOL PathIsDirectoryA(LPCSTR path) {
  const auto status = status_of(path);
  return status && S_ISDIR(status->st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FALSE;
}
