// Finding the caller's login session on systemd-logind and reading its lock state with sd-bus.
// Every call goes out asynchronously and is waited for against one deadline, which also bounds
// the connection's authentication: a synchronous sd-bus call would wait for that without limit.
#include "win32/desktop/login_session_linux.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vtplatform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kTimeout = std::chrono::seconds(1);

constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kManagerPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
constexpr const char* kSession = "org.freedesktop.login1.Session";
constexpr const char* kUser = "org.freedesktop.login1.User";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

struct BusClose {
  // No flush: every message sent has been answered or given up on, and a flush could block.
  void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
struct MessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
struct SlotUnref {
  void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using Bus = std::unique_ptr<sd_bus, BusClose>;
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;
using Slot = std::unique_ptr<sd_bus_slot, SlotUnref>;

// One connection to logind whose calls all end by one deadline.
class Logind {
 public:
  Logind(Bus bus, Clock::time_point deadline) : bus_(std::move(bus)), deadline_(deadline) {}

  // Calls `member` of `interface` on logind's object `path` with the arguments `types`, `args`
  // (as sd_bus_message_append takes them). The reply, or null when the call could not be made,
  // logind answered with an error or the deadline passed first.
  template <class... Args>
  Message call(const char* path, const char* interface, const char* member, const char* types,
               Args... args) {
    Message reply;
    sd_bus_slot* slot = nullptr;
    if (sd_bus_call_method_async(bus_.get(), &slot, kLogind, path, interface, member, &keep_reply,
                                 &reply, types, args...) < 0) {
      return nullptr;
    }
    const Slot pending(slot);  // cancels the call if it is still open when we give up
    return wait_for(reply) ? std::move(reply) : nullptr;
  }

  // Reads the property `name` of `interface` on `path` with `type` (one complete type) into
  // `values`. The reply, which holds the strings read, or null when the property cannot be read.
  template <class... Values>
  Message get_property(const char* path, const char* interface, const char* name,
                       const char* type, Values*... values) {
    Message reply = call(path, kProperties, "Get", "ss", interface, name);
    if (!reply || sd_bus_message_read(reply.get(), "v", type, values...) < 0) return nullptr;
    return reply;
  }

 private:
  static int keep_reply(sd_bus_message* message, void* reply, sd_bus_error* /*error*/) {
    static_cast<Message*>(reply)->reset(sd_bus_message_ref(message));
    return 0;
  }

  // Runs the connection until `reply` is filled in; false when it was an error or time ran out.
  bool wait_for(const Message& reply) {
    for (;;) {
      const int processed = sd_bus_process(bus_.get(), nullptr);
      if (processed < 0) return false;
      if (reply) return !sd_bus_message_is_method_error(reply.get(), nullptr);
      const auto left =
          std::chrono::duration_cast<std::chrono::microseconds>(deadline_ - Clock::now()).count();
      if (left <= 0) return false;
      if (processed == 0) {
        const int waited = sd_bus_wait(bus_.get(), static_cast<std::uint64_t>(left));
        if (waited < 0 && waited != -EINTR) return false;
      }
    }
  }

  const Bus bus_;
  const Clock::time_point deadline_;
};

std::optional<std::string> object_path_of(const Message& reply) {
  const char* path = nullptr;
  if (!reply || sd_bus_message_read(reply.get(), "o", &path) < 0) return std::nullopt;
  return path;
}

// The session logind files the calling process under (by its control group). Id 0 asks for the
// process at the other end of the connection, which logind knows from the socket's credentials;
// our own id would name another process where we run in a pid namespace of our own.
std::optional<std::string> session_of_process(Logind& logind) {
  return object_path_of(
      logind.call(kManagerPath, kManager, "GetSessionByPID", "u", std::uint32_t{0}));
}

// The session named by $XDG_SESSION_ID, which the login sets up for the processes it starts.
std::optional<std::string> session_of_environment(Logind& logind) {
  const char* id = std::getenv("XDG_SESSION_ID");
  if (id == nullptr || *id == '\0') return std::nullopt;
  return object_path_of(logind.call(kManagerPath, kManager, "GetSession", "s", id));
}

// The calling user's display session; logind names none ("/") when the user has no session that
// qualifies.
std::optional<std::string> display_session_of_user(Logind& logind) {
  const std::optional<std::string> user = object_path_of(
      logind.call(kManagerPath, kManager, "GetUser", "u", static_cast<std::uint32_t>(::getuid())));
  if (!user) return std::nullopt;
  const char* id = nullptr;
  const char* path = nullptr;
  const Message display = logind.get_property(user->c_str(), kUser, "Display", "(so)", &id, &path);
  if (!display || std::string_view(path) == "/") return std::nullopt;
  return path;
}

}  // namespace

std::optional<bool> login_session_locked() {
  const Clock::time_point deadline = Clock::now() + kTimeout;
  sd_bus* bus = nullptr;
  if (sd_bus_open_system(&bus) < 0) return std::nullopt;
  Logind logind(Bus(bus), deadline);
  for (auto* find : {&session_of_process, &session_of_environment, &display_session_of_user}) {
    const std::optional<std::string> session = find(logind);
    int locked = 0;
    if (session && logind.get_property(session->c_str(), kSession, "LockedHint", "b", &locked)) {
      return locked != 0;
    }
  }
  return std::nullopt;
}

}  // namespace vtplatform
