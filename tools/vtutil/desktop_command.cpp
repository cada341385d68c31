// vtutil desktop: whether the user's session is locked, as vtu_is_desktop_locked tells it.
#include <cstdio>

#include "commands.h"
#include "vtutils/desktop_state.h"

namespace {

const char* state_name(vtuDesktopState state) {
  switch (state) {
    case vtuDesktopStateLocked: return "locked";
    case vtuDesktopStateUnlocked: return "unlocked";
    case vtuDesktopStateUndetermined: break;
  }
  return "undetermined";
}

}  // namespace

void add_desktop_command(CLI::App& app) {
  CLI::App* command = app.add_subcommand(
      "desktop", "Print whether the session's desktop is locked, unlocked or undetermined (no "
                 "login session reachable)");
  command->callback([] { std::printf("%s\n", state_name(vtu_is_desktop_locked())); });
}
