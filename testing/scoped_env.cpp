// Setting and restoring environment variables for tests.
#include "testing/scoped_env.h"

#include <stdlib.h>

#include <utility>

namespace vtutils::testing {

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
  if (const char* old = ::getenv(name_.c_str())) old_value_ = old;
  if (value) {
    ::setenv(name_.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
}

ScopedEnv::~ScopedEnv() {
  if (old_value_) {
    ::setenv(name_.c_str(), old_value_->c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
}

}  // namespace vtutils::testing
