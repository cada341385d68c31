// apPathName: separator normalisation, validity, the containing folder and joining of paths.
#include "vtplatform/apstring/ap_path_name.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

constexpr char16_t kSeparator = u'/';

}  // namespace

apPathName::apPathName(const apString& text) {
  std::u16string path = text.u16();
  std::replace(path.begin(), path.end(), u'\\', kSeparator);
  text_ = apString(std::move(path));
}

int apPathName::invalid() const noexcept {
  const std::u16string& path = text_.u16();
  return path.empty() || path.find(u'\0') != std::u16string::npos ? 1 : 0;
}

apPathName apPathName::dirname() const {
  if (invalid()) return apPathName();
  const std::u16string& path = text_.u16();
  const std::size_t last = path.rfind(kSeparator);
  if (last == std::u16string::npos) return apPathName();
  const std::size_t end = path.find_last_not_of(kSeparator, last);
  // Only separators before the last name: the folder is the root.
  if (end == std::u16string::npos) return apPathName(apString(std::u16string(1, kSeparator)));
  return apPathName(apString(path.substr(0, end + 1)));
}

apPathName apPathName::combine(const apPathName& relative) const {
  if (invalid() || relative.invalid()) return apPathName();
  const std::u16string& tail = relative.text_.u16();
  if (tail.front() == kSeparator) return relative;
  std::u16string path = text_.u16();
  if (path.back() != kSeparator) path += kSeparator;
  path += tail;
  return apPathName(apString(std::move(path)));
}
