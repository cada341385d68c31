// Runs a check in a child process that has given up root, so that tests running as root can see
// what an ordinary user is refused.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>

namespace vtutils::testing {

// The user and group "nobody" on Debian.
inline constexpr uid_t kNobodyUid = 65534;
inline constexpr gid_t kNobodyGid = 65534;

// Forks, drops every supplementary group and becomes kNobodyUid/kNobodyGid in the child, runs
// `check` there and returns its answer. Nothing when the child could not drop its privileges or
// did not finish normally.
std::optional<bool> run_unprivileged(const std::function<bool()>& check);

}  // namespace vtutils::testing
