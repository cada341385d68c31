// Reading a traced thread's registers with PTRACE_GETREGS and PTRACE_GETFPREGS into an AMD64
// minidump context.
#include "win32/debug/minidump_context_linux.h"

#include <sys/ptrace.h>
#include <sys/user.h>

#include <cstring>

namespace vtplatform::minidump {

static_assert(sizeof(user_fpregs_struct) == sizeof(ContextAmd64::flt_save),
              "the FP registers of ptrace have the FXSAVE layout");

std::optional<ThreadRegisters> read_thread_registers(pid_t tid) {
  user_regs_struct regs{};
  user_fpregs_struct fpregs{};
  if (::ptrace(PTRACE_GETREGS, tid, nullptr, &regs) != 0 ||
      ::ptrace(PTRACE_GETFPREGS, tid, nullptr, &fpregs) != 0) {
    return std::nullopt;
  }
  ThreadRegisters result{};
  ContextAmd64& c = result.context;
  c.context_flags = kContextControl | kContextInteger | kContextSegments | kContextFloatingPoint;
  c.mx_csr = fpregs.mxcsr;
  c.seg_cs = static_cast<std::uint16_t>(regs.cs);
  c.seg_ds = static_cast<std::uint16_t>(regs.ds);
  c.seg_es = static_cast<std::uint16_t>(regs.es);
  c.seg_fs = static_cast<std::uint16_t>(regs.fs);
  c.seg_gs = static_cast<std::uint16_t>(regs.gs);
  c.seg_ss = static_cast<std::uint16_t>(regs.ss);
  c.eflags = static_cast<std::uint32_t>(regs.eflags);
  c.rax = regs.rax;
  c.rcx = regs.rcx;
  c.rdx = regs.rdx;
  c.rbx = regs.rbx;
  c.rsp = regs.rsp;
  c.rbp = regs.rbp;
  c.rsi = regs.rsi;
  c.rdi = regs.rdi;
  c.r8 = regs.r8;
  c.r9 = regs.r9;
  c.r10 = regs.r10;
  c.r11 = regs.r11;
  c.r12 = regs.r12;
  c.r13 = regs.r13;
  c.r14 = regs.r14;
  c.r15 = regs.r15;
  c.rip = regs.rip;
  std::memcpy(c.flt_save, &fpregs, sizeof c.flt_save);
  result.fs_base = regs.fs_base;
  return result;
}

}  // namespace vtplatform::minidump
