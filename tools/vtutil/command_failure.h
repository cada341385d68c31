// How a vtutil command ends when it cannot do its work, and how it writes its output so that a
// failed write is an error too. The exit status is 0 for success, 1 for a negative answer or a
// failed operation and 2 for a mistake on the command line; every error is one line on standard
// error, "vtutil: COMMAND: message".
#pragma once

#include <string>
#include <string_view>

// The text of a Win32 error code or an HRESULT in plain words, "No such file or directory".
std::string error_text(unsigned long code);

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Writes "vtutil: <command>: <message>" to standard error, for a warning that does not end the
// command.
void warn_command(const char* command, const std::string& message);

// Writes "vtutil: <command>: <message>" to standard error and ends the command with exit status
// `status`. CLI11 prints nothing for the CLI::RuntimeError this throws, so the message appears
// once and without the usage hint that belongs to mistakes on the command line.
[[noreturn]] void fail_command(const char* command, const std::string& message,
                               int status = kExitFailure);

// Writes the error line of a mistake on the command line, with a pointer to the command's help.
void warn_usage(const char* command, const std::string& message);

// fail_command for a mistake on the command line: exit status 2 and a pointer to the command's
// help.
[[noreturn]] void fail_usage(const char* command, const std::string& message);

// Writes `bytes` to standard output, or fails the command with the reason the write failed.
void write_output(const char* command, std::string_view bytes);

// Flushes and closes standard output once the command has written everything. 0, or, after the
// error line, 1 when some of the output could not be written (a full disk, a closed pipe that does
// not raise SIGPIPE, /dev/full).
int close_output(const char* command);
