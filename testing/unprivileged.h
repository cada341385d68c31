// Runs a check in a child process without root's privileges, so that tests can see what an
// ordinary user is refused whoever runs them.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>

namespace vtutils::testing {

// The user and group "nobody" on Debian.
inline constexpr uid_t kNobodyUid = 65534;
inline constexpr gid_t kNobodyGid = 65534;

// Forks and runs `check` in the child, and returns its answer. A child of root first drops every
// supplementary group and becomes kNobodyUid/kNobodyGid; a child of an ordinary user holds no
// privileges to drop and stays that user. Nothing when the child could not drop its privileges
// or did not finish normally.
std::optional<bool> run_unprivileged(const std::function<bool()>& check);

}  // namespace vtutils::testing
