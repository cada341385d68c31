// vtutil log: the lifetime log that vtuProcess::kill writes while the user's switch is on. `on`
// and `off` set the switch, `status` reads it as the library does, `path` names the log file and
// `tail` prints its last lines.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "command_failure.h"
#include "commands.h"
#include "input_file.h"
#include "lifetime_log_switch.h"
#include "registry_failure.h"
#include "vtutils/platform/settings.h"
#include "vtutils/platform/win32_types.h"

namespace {

void set_switch(bool on) {
  const LSTATUS status = set_lifetime_log_switch(on);
  if (status != ERROR_SUCCESS) {
    fail_command(on ? "log on" : "log off",
                 "cannot set the log switch in the registry: " + registry_failure(status));
  }
}

std::string log_path(const char* command) {
  std::string path = lifetime_log_path();
  if (path.empty()) fail_command(command, "the home folder is unknown, so is the log folder");
  return path;
}

// The last `count` lines of the file at `path`, without their line ends ("\r\n" as the library
// writes them, or "\n"). The log only grows, so it is read backwards in blocks from its end until
// enough lines are in.
std::vector<std::string> last_lines(const std::string& path, std::size_t count) {
  if (std::error_code error; !std::filesystem::exists(path, error) && !error) {
    fail_command("log tail", "there is no log at " + path + " yet");
  }
  InputFile file("log tail", path);
  std::uint64_t start = file.size();
  std::string text;
  // One line end more than lines wanted, as the last line ends in one too.
  while (start > 0 && static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) <=
                          count) {
    const std::uint64_t length = std::min<std::uint64_t>(kInputBlockSize, start);
    start -= length;
    std::string block(static_cast<std::size_t>(length), '\0');
    block.resize(file.read_at(block.data(), block.size(), start));
    text.insert(0, block);
  }
  std::vector<std::string> lines;
  std::size_t end = text.size();
  if (end > 0 && text[end - 1] == '\n') --end;
  while (lines.size() < count && end > 0) {
    const std::size_t newline = text.rfind('\n', end - 1);
    const std::size_t begin = newline == std::string::npos ? 0 : newline + 1;
    std::string line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (newline == std::string::npos) break;
    end = newline;
  }
  std::reverse(lines.begin(), lines.end());
  return lines;
}

}  // namespace

void add_log_command(CLI::App& app) {
  CLI::App* command = app.add_subcommand(
      "log", "The lifetime log of vtutil kill and the library's process termination");
  command->require_subcommand(1);

  command->add_subcommand("on", "Turn the user's log switch on")->callback([] {
    set_switch(true);
  });
  command->add_subcommand("off", "Turn the user's log switch off")->callback([] {
    set_switch(false);
  });
  command->add_subcommand("status", "Print whether the log is written: on or off")->callback([] {
    bool on = false;
    if (const LSTATUS status = read_lifetime_log_switch(on)) {
      fail_command("log status", "cannot read the log switch: " + registry_failure(status));
    }
    std::printf("%s\n", on ? "on" : "off");
  });
  command->add_subcommand("path", "Print the log file's path")->callback([] {
    std::printf("%s\n", log_path("log path").c_str());
  });

  auto count = std::make_shared<std::size_t>(10);
  CLI::App* tail = command->add_subcommand("tail", "Print the last N lines of the log");
  tail->add_option("N", *count, "How many lines")->capture_default_str();
  tail->callback([count] {
    for (const std::string& line : last_lines(log_path("log tail"), *count)) {
      std::printf("%s\n", line.c_str());
    }
  });
}
