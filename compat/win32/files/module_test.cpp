// Tests of module handles.
#include <gtest/gtest.h>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/module.h"
#include "vtplatform/win32/native.h"

namespace {

int function_in_the_program() { return 0; }

TEST(ModuleHandle, NamesTheModuleThatHoldsAnAddress) {
  HMODULE program = GetModuleHandleA(nullptr);
  ASSERT_NE(program, nullptr);

  HMODULE module = nullptr;
  ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                 reinterpret_cast<LPCSTR>(&function_in_the_program), &module));
  EXPECT_EQ(module, program);

  // A shared library by its address, its base name and its file name.
  const HMODULE libc = GetModuleHandleA("libc");
  ASSERT_NE(libc, nullptr);
  EXPECT_NE(libc, program);
  EXPECT_EQ(GetModuleHandleA("libc.so.6"), libc);
  ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                 reinterpret_cast<LPCSTR>(GetProcAddress(libc, "getpid")),
                                 &module));
  EXPECT_EQ(module, libc);
}

TEST(ModuleHandle, RefusesWhatIsNoModule) {
  HMODULE module = nullptr;
  int on_the_stack = 0;
  EXPECT_FALSE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                  reinterpret_cast<LPCSTR>(&on_the_stack), &module));
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_FALSE(GetModuleHandleExA(0, "libc.so.6", &module));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetModuleHandleA("libvtplat"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(ModuleHandle, FindsExportsByName) {
  // The native services live in this layer, under the system module's name.
  const HMODULE ntdll = GetModuleHandleA("NTDLL.dll");
  ASSERT_NE(ntdll, nullptr);
  EXPECT_EQ(GetModuleHandleA("ntdll"), ntdll);
  HMODULE layer = nullptr;
  ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                 reinterpret_cast<LPCSTR>(&NtSuspendProcess), &layer));
  EXPECT_EQ(layer, ntdll);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtSuspendProcess")),
            reinterpret_cast<void*>(&NtSuspendProcess));
  EXPECT_NE(GetProcAddress(GetModuleHandleA("libc"), "getpid"), nullptr);

  EXPECT_EQ(GetProcAddress(ntdll, "NtNoSuchService"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  // A function that the module only calls is another module's export.
  EXPECT_EQ(GetProcAddress(ntdll, "getpid"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  int on_the_stack = 0;
  EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(&on_the_stack), "getpid"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

}  // namespace
