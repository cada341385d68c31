// How a vtutil command ends when it cannot do its work, and its checked output.
#include "command_failure.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "vtutils/platform/win32_types.h"

std::string error_text(unsigned long code) {
  char text[256];
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, static_cast<DWORD>(code), 0, text, sizeof text,
                                      nullptr);
  if (length > 0) return std::string(text, length);
  std::snprintf(text, sizeof text, "error 0x%lx", code);
  return text;
}

void warn_command(const char* command, const std::string& message) {
  std::fflush(stdout);
  if (*command == '\0') {
    std::fprintf(stderr, "vtutil: %s\n", message.c_str());
  } else {
    std::fprintf(stderr, "vtutil: %s: %s\n", command, message.c_str());
  }
}

void fail_command(const char* command, const std::string& message, int status) {
  warn_command(command, message);
  throw CLI::RuntimeError(status);
}

void warn_usage(const char* command, const std::string& message) {
  warn_command(command,
               message + " (see vtutil help" + (*command == '\0' ? "" : " ") + command + ")");
}

void fail_usage(const char* command, const std::string& message) {
  warn_usage(command, message);
  throw CLI::RuntimeError(kExitUsage);
}

void write_output(const char* command, std::string_view bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
    fail_command(command, std::string("cannot write the output: ") + std::strerror(errno));
  }
}

int close_output(const char* command) {
  // A write that failed earlier leaves the stream's error flag, not always an errno. std::cout
  // has a buffer of its own where a command turned off its sync with stdio.
  errno = 0;
  std::cout.flush();
  const bool had_error = !std::cout || std::ferror(stdout) != 0;
  const bool close_failed = std::fclose(stdout) != 0;
  if (!had_error && !close_failed) return 0;
  std::string message = "cannot write the output";
  if (errno != 0) message += std::string(": ") + std::strerror(errno);
  std::fprintf(stderr, "vtutil: %s: %s\n", command, message.c_str());  // stdout is closed
  return kExitFailure;
}
