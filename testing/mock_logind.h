// Test fixtures for what the platform layer reads from systemd-logind over the system bus:
// MockLogind, a private bus with a mock logind on it, and NoSystemBus, a bus address that leads
// nowhere. Both point $DBUS_SYSTEM_BUS_ADDRESS of the test process at their bus while they live
// and put the old value back when they go, so that everything the process and the programs it
// starts ask of "the system bus" reaches them. Use one at a time.
#pragma once

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "testing/scoped_env.h"
#include "testing/temp_dir.h"

namespace vtutils::testing {

// A private bus (dbus-daemon with a minimal configuration in a temporary folder) with the logind
// mock of python3-dbusmock's "logind" template on it as org.freedesktop.login1. The mock answers
// Manager.GetSession and Manager.GetUser for any id, whether or not the object exists, and knows
// the seats, users and sessions that add_session creates; a new session is unlocked. While the
// fixture lives $XDG_SESSION_ID is removed, so that a test runs the same inside and outside a
// desktop session; a test that wants it sets it with a ScopedEnv of its own.
//
// Needs dbus-daemon, /usr/bin/python3 with the dbusmock module and gdbus (scripts/setup installs
// them). The constructor throws std::runtime_error when the bus or the mock does not come up
// within ten seconds; add_session and set_locked throw when the mock refuses. The destructor
// kills and reaps both processes.
//
//   vtutils::testing::MockLogind logind;
//   logind.add_session("test1");  // the test process's own session, unlocked
//   // ... OpenInputDesktop gives a handle ...
//   logind.set_locked(true);
//   // ... OpenInputDesktop fails with ERROR_ACCESS_DENIED ...
class MockLogind {
 public:
  // How logind finds the new session for the test process.
  enum class Attach {
    kProcess,  // Manager.GetSessionByPID answers it for id 0, the asking process, and no other
    kDisplay,  // it is the display session (User.Display) of the test process's user
    kNone,     // only by its id, as through $XDG_SESSION_ID
  };

  MockLogind();
  ~MockLogind();
  MockLogind(const MockLogind&) = delete;
  MockLogind& operator=(const MockLogind&) = delete;

  // The bus's address, as $DBUS_SYSTEM_BUS_ADDRESS now holds it.
  const std::string& address() const { return address_; }

  // Adds the active session `id` (letters, digits and '_') of the calling user on seat "seat0",
  // with the user and the seat when they are new, and makes logind find it as `attach` says.
  void add_session(const std::string& id, Attach attach = Attach::kProcess);

  // Sets LockedHint of the session added last, as a screen locker does through
  // Session.SetLockedHint.
  void set_locked(bool locked);

 private:
  class Process;  // a started program, killed and reaped when it goes

  // Calls `method` (interface.member) of the mock's object `path` with the arguments `args` in
  // gdbus's text form.
  void call(const std::string& path, const std::string& method,
            std::initializer_list<std::string> args);
  // Adds the method `name` to logind's Manager interface, or replaces it. The mock runs the
  // Python code `code` for each call, with the call's arguments in `args` and the module dbus at
  // hand, and answers with `ret`.
  void add_manager_method(const std::string& name, const std::string& in_signature,
                          const std::string& out_signature, const std::string& code);

  TempDir dir_;
  ScopedEnv session_id_{"XDG_SESSION_ID", std::nullopt};
  std::unique_ptr<Process> bus_;
  std::string address_;
  std::optional<ScopedEnv> bus_address_;
  std::unique_ptr<Process> logind_;
  std::string session_path_;
};

// Points the system bus at a socket path in a fresh temporary folder that nothing listens on, so
// that every connection to the system bus fails at once.
class NoSystemBus {
 public:
  NoSystemBus();

 private:
  TempDir dir_;
  ScopedEnv bus_address_;
};

}  // namespace vtutils::testing
