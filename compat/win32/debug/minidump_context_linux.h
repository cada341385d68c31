// The AMD64 register context of a thread that the caller traces and holds stopped, in the form of
// a minidump's thread context.
#pragma once

#include <sys/types.h>

#include <optional>

#include "win32/debug/minidump_format.h"

namespace vtplatform::minidump {

struct ThreadRegisters {
  ContextAmd64 context;
  std::uint64_t fs_base;  // the thread's TLS block, the Linux counterpart of its TEB
};

// The general, segment and FXSAVE floating-point registers of `tid`; nothing when they cannot be
// read (the thread has ended or is not stopped under our trace).
std::optional<ThreadRegisters> read_thread_registers(pid_t tid);

}  // namespace vtplatform::minidump
