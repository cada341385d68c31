// Starting the private bus and the logind mock, and driving the mock with gdbus.
#include "testing/mock_logind.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <vector>

#include "win32/core/unique_fd.h"

extern char** environ;

namespace vtutils::testing {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr const char* kCallTimeoutSeconds = "5";
// Debian's python3-dbusmock is installed for the system's Python, which a python3 found first on
// PATH (a virtual environment, pyenv) may not see.
constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kLogindPath = "/org/freedesktop/login1";

// Everything allowed: only the test's user can reach the socket in its private folder.
constexpr const char* kBusConfig = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:path=@SOCKET@</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

// Starts `argv` (the program looked up on PATH) with standard output on `output`, or on
// /dev/null when it is -1, and standard error in the file `error_log` when one is named.
pid_t spawn(const std::vector<std::string>& argv, int output, const std::string& error_log = "") {
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  if (output >= 0) {
    ::posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  } else {
    ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  if (!error_log.empty()) {
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, error_log.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int error = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot start " + argv[0]);
  return pid;
}

// Runs `argv` to its end; throws when it fails.
void run(const std::vector<std::string>& argv) {
  const pid_t pid = spawn(argv, -1);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::string command;
    for (const auto& arg : argv) command += (command.empty() ? "" : " ") + arg;
    throw std::runtime_error("failed: " + command);
  }
}

// The first line that `fd` gives within `timeout`, without its newline; empty when none came.
std::string read_line(int fd, Clock::duration timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  std::string line;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd readable{fd, POLLIN, 0};
    if (left <= 0 || ::poll(&readable, 1, static_cast<int>(left)) <= 0) return "";
    char c = 0;
    if (::read(fd, &c, 1) != 1) return "";
    if (c == '\n') return line;
    line += c;
  }
}

// `text` as a string in gdbus's argument syntax (GVariant text). Escapes in the text, such as a
// backslash and "n", are left for gdbus to turn into their characters.
std::string gvariant_string(const std::string& text) {
  std::string result = "\"";
  for (char c : text) {
    if (c == '"') result += '\\';
    result += c;
  }
  return result + '"';
}

std::string replace(std::string text, const std::string& placeholder, const std::string& value) {
  return text.replace(text.find(placeholder), placeholder.size(), value);
}

}  // namespace

class MockLogind::Process {
 public:
  Process(const std::vector<std::string>& argv, int output, const std::string& error_log = "")
      : pid_(spawn(argv, output, error_log)) {}
  ~Process() {
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

 private:
  const pid_t pid_;
};

MockLogind::MockLogind() {
  const std::string config = dir_.file("bus.conf");
  write_file(config, replace(kBusConfig, "@SOCKET@", dir_.file("system_bus_socket")));
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
  const vtplatform::UniqueFd address_in(ends[0]);
  vtplatform::UniqueFd address_out(ends[1]);
  // The daemon prints its address once it listens. Its complaints (as root it fails to raise
  // its file limit in a container) go to a log that tells why it did not start.
  const std::string bus_log = dir_.file("bus.log");
  bus_ = std::make_unique<Process>(
      std::vector<std::string>{"dbus-daemon", "--config-file=" + config, "--nofork",
                               "--print-address"},
      address_out.get(), bus_log);
  address_out.reset();
  address_ = read_line(address_in.get(), kStartTimeout);
  if (address_.empty()) {
    throw std::runtime_error("dbus-daemon did not start: " + read_file(bus_log));
  }
  bus_address_.emplace("DBUS_SYSTEM_BUS_ADDRESS", address_);

  logind_ = std::make_unique<Process>(
      std::vector<std::string>{kPython, "-m", "dbusmock", "--system", "--template", "logind"},
      -1);
  run({"gdbus", "wait", "--system", "--timeout",
       std::to_string(std::chrono::seconds(kStartTimeout).count()), "org.freedesktop.login1"});
  // The template's own GetUser fails for every user: it adds the number to a string.
  add_manager_method("GetUser", "u", "o",
                     "ret = dbus.ObjectPath('" + std::string(kLogindPath) + "/user/%d' % args[0])");
}

MockLogind::~MockLogind() = default;

void MockLogind::call(const std::string& path, const std::string& method,
                      std::initializer_list<std::string> args) {
  std::vector<std::string> argv{"gdbus", "call", "--system", "--timeout", kCallTimeoutSeconds,
                                "--dest", "org.freedesktop.login1", "--object-path", path,
                                "--method", method};
  argv.insert(argv.end(), args);
  run(argv);
}

void MockLogind::add_manager_method(const std::string& name, const std::string& in_signature,
                                    const std::string& out_signature, const std::string& code) {
  call(kLogindPath, "org.freedesktop.DBus.Mock.AddMethod",
       {gvariant_string("org.freedesktop.login1.Manager"), gvariant_string(name),
        gvariant_string(in_signature), gvariant_string(out_signature), gvariant_string(code)});
}

void MockLogind::add_session(const std::string& id, Attach attach) {
  const std::string uid = std::to_string(::getuid());
  session_path_ = std::string(kLogindPath) + "/session/" + id;
  call(kLogindPath, "org.freedesktop.DBus.Mock.AddSession",
       {gvariant_string(id), gvariant_string("seat0"), "uint32 " + uid,
        gvariant_string("vtutils-test"), "true"});
  switch (attach) {
    case Attach::kProcess:
    {
      const std::string code =
          "if args[0] != 0:\\n"
          "    raise dbus.exceptions.DBusException('no session for the process', "
          "name='org.freedesktop.login1.NoSessionForPID')\\n"
          "ret = dbus.ObjectPath('" + session_path_ + "')";
      add_manager_method("GetSessionByPID", "u", "o", code);
      break;
    }
    case Attach::kDisplay:
      call(std::string(kLogindPath) + "/user/" + uid, "org.freedesktop.DBus.Properties.Set",
           {gvariant_string("org.freedesktop.login1.User"), gvariant_string("Display"),
            "<(" + gvariant_string(id) + ", objectpath " + gvariant_string(session_path_) + ")>"});
      break;
    case Attach::kNone:
      break;
  }
}

void MockLogind::set_locked(bool locked) {
  call(session_path_, "org.freedesktop.login1.Session.SetLockedHint", {locked ? "true" : "false"});
}

NoSystemBus::NoSystemBus()
    : bus_address_("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + dir_.file("no_bus_here")) {}

}  // namespace vtutils::testing
