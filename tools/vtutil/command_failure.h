// How a vtutil command reports that it could not do its work.
#pragma once

#include <string>

// Writes "vtutil <command>: <message>" to standard error and ends the command with exit status
// `status`. CLI11 prints nothing for the CLI::RuntimeError this throws, so the message appears
// once and without the usage hint that belongs to mistakes on the command line.
[[noreturn]] void fail_command(const char* command, const std::string& message, int status = 1);
