// How a vtutil command reports that it could not do its work.
#include "command_failure.h"

#include <CLI/CLI.hpp>
#include <cstdio>

void fail_command(const char* command, const std::string& message, int status) {
  std::fflush(stdout);
  std::fprintf(stderr, "vtutil %s: %s\n", command, message.c_str());
  throw CLI::RuntimeError(status);
}
