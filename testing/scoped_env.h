// ScopedEnv: sets or removes an environment variable of the test process for one scope.
#pragma once

#include <optional>
#include <string>

namespace vtutils::testing {

// Sets an environment variable of the test process, or removes it when `value` is nothing, and
// puts back the old value, or its absence, when it goes.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_value_;
};

}  // namespace vtutils::testing
