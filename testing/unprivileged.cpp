// Checks run in an unprivileged child process; the answer travels back as the exit status.
#include "testing/unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vtutils::testing {
namespace {
constexpr int kAnswerNo = 0;
constexpr int kAnswerYes = 1;
constexpr int kCannotDrop = 2;
}  // namespace

std::optional<bool> run_unprivileged(const std::function<bool()>& check) {
  const pid_t child = ::fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobodyGid) != 0 ||
                             ::setuid(kNobodyUid) != 0)) {
      ::_exit(kCannotDrop);
    }
    ::_exit(check() ? kAnswerYes : kAnswerNo);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return std::nullopt;
  switch (WEXITSTATUS(status)) {
    case kAnswerNo: return false;
    case kAnswerYes: return true;
    default: return std::nullopt;
  }
}

}  // namespace vtutils::testing
