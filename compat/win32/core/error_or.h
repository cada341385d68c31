// ErrorOr<T>: what an internal helper at the OS boundary returns, the value it made or the
// std::error_code of its failure. The failure travels with the result, never beside it in errno,
// which any call in between may overwrite; the exported functions turn it into their documented
// result and SetLastError (win32_error_from in errno_error.h).
#pragma once

#include <cerrno>
#include <system_error>
#include <utility>
#include <variant>

namespace vtplatform {

template <class T>
class [[nodiscard]] ErrorOr {
 public:
  ErrorOr(T value) : result_(std::in_place_index<0>, std::move(value)) {}
  // `error` must be a failure: an ErrorOr never holds neither.
  ErrorOr(std::error_code error) : result_(std::in_place_index<1>, error) {}

  bool has_value() const { return result_.index() == 0; }
  explicit operator bool() const { return has_value(); }
  // The failure; a default (success) code when there is a value.
  std::error_code error() const {
    const std::error_code* error = std::get_if<1>(&result_);
    return error != nullptr ? *error : std::error_code();
  }

  // The value; only when there is one, as with std::optional. (std::get would check again and
  // throw, and its exception's type information would be exported by every library using this.)
  T& operator*() & { return *std::get_if<0>(&result_); }
  const T& operator*() const& { return *std::get_if<0>(&result_); }
  T&& operator*() && { return std::move(*std::get_if<0>(&result_)); }
  T* operator->() { return std::get_if<0>(&result_); }
  const T* operator->() const { return std::get_if<0>(&result_); }

 private:
  std::variant<T, std::error_code> result_;
};

// The error_code of an errno value, by default of the errno that the last failed call set.
inline std::error_code errno_code(int error = errno) { return {error, std::generic_category()}; }

}  // namespace vtplatform
