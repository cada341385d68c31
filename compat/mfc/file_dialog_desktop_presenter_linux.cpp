// The desktop presenter: shows the file dialog with zenity or, failing that, kdialog, run as a
// child process whose standard output carries the chosen paths.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "vtplatform/mfc/file_dialog_presenter.h"
#include "win32/core/eintr.h"
#include "win32/core/unique_fd.h"
#include "win32/text/code_pages.h"

extern char** environ;

namespace vtplatform {
namespace {

// Joins zenity's multiple answers. The paths it prints are absolute and canonical, so none
// contains "//" or ends with '/': the first "//" after a path is always this separator, while a
// newline, its default, may be part of a file name.
constexpr std::string_view kZenitySeparator = "//";

enum class Tool { kZenity, kKdialog };

std::optional<std::string> find_on_path(const char* name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  std::string_view folders = path;
  while (!folders.empty()) {
    const std::size_t colon = std::min(folders.find(':'), folders.size());
    const std::string_view folder = folders.substr(0, colon);
    folders.remove_prefix(std::min(colon + 1, folders.size()));
    // A relative entry would run whatever the current directory holds.
    if (folder.empty() || folder.front() != '/') continue;
    std::string candidate = std::string(folder) + '/' + name;
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error) &&
        ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return std::nullopt;
}

bool has_display() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// The tools take and print UTF-8; the dialog's text is in the ANSI code page. Where that is UTF-8
// the bytes pass unchanged, so file names that are not valid UTF-8 still name their files.
std::string utf8_from_ansi(const std::string& text) {
  if (ansi_code_page().is_utf8()) return text;
  bool lossy = false;
  return utf8_code_page().encode(ansi_code_page().decode(text, lossy), lossy);
}

// Nothing for a path that the ANSI code page cannot hold, since it would name another file.
std::optional<std::string> ansi_from_utf8(const std::string& text) {
  if (ansi_code_page().is_utf8()) return text;
  bool lossy = false;
  std::string ansi = ansi_code_page().encode(utf8_code_page().decode(text, lossy), lossy);
  if (lossy) return std::nullopt;
  return ansi;
}

// A running tool, ended and reaped when the owner goes before it was waited for.
class ToolProcess {
 public:
  explicit ToolProcess(pid_t pid) : pid_(pid) {}
  ~ToolProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      wait();
    }
  }
  ToolProcess(const ToolProcess&) = delete;
  ToolProcess& operator=(const ToolProcess&) = delete;

  // The exit code; -1 when the tool ended by a signal; nothing when the host reaps its children
  // itself (SIGCHLD ignored), so that no exit code is left to learn.
  std::optional<int> wait() {
    int status = 0;
    const pid_t result = retry_on_eintr([&] { return ::waitpid(pid_, &status, 0); });
    pid_ = 0;
    if (result < 0) return std::nullopt;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_;
};

struct ToolResult {
  std::optional<int> exit_code;
  std::string output;
};

// Runs the tool with `arguments` (no shell), its input and errors on /dev/null, and collects
// what it prints until it ends. Nothing when it cannot be started.
std::optional<ToolResult> run_tool(const std::string& program,
                                   const std::vector<std::string>& arguments) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  UniqueFd read_end(fds[0]);
  UniqueFd write_end(fds[1]);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, write_end.get(), 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  sigaddset(&signals, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &signals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  const int spawned =
      ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return std::nullopt;
  ToolProcess process(pid);
  write_end.reset();

  ToolResult result;
  char chunk[4096];
  for (;;) {
    const ssize_t got = retry_on_eintr([&] { return ::read(read_end.get(), chunk, sizeof chunk); });
    if (got <= 0) break;
    result.output.append(chunk, static_cast<std::size_t>(got));
  }
  result.exit_code = process.wait();
  return result;
}

// The filters in the order the tool shows them: the one at filter_index (from 1) first, as the
// tools preselect the first; an index outside the list keeps the list's order. A filter without
// patterns would match nothing and is left out.
std::vector<FileDialogFilter> filters_in_tool_order(const FileDialogRequest& request) {
  std::vector<FileDialogFilter> filters = request.filters;
  const std::size_t first = request.filter_index >= 1 && request.filter_index <= filters.size()
                                ? request.filter_index - 1
                                : 0;
  std::rotate(filters.begin(), filters.begin() + static_cast<std::ptrdiff_t>(first), filters.end());
  std::erase_if(filters, [](const FileDialogFilter& filter) { return filter.patterns.empty(); });
  return filters;
}

std::string joined_patterns(const FileDialogFilter& filter) {
  std::string text;
  for (const std::string& pattern : filter.patterns) {
    if (!text.empty()) text += ' ';
    text += utf8_from_ansi(pattern);
  }
  return text;
}

// Where the dialog opens: the folder, and for a save dialog the proposed name in it.
std::string start_path(const FileDialogRequest& request) {
  std::string folder = request.initial_folder;
  if (folder.empty()) {
    std::error_code error;
    folder = std::filesystem::current_path(error).string();
  }
  if (folder.empty() || folder.back() != '/') folder += '/';
  std::string start = folder;
  if (!request.open && !request.initial_name.empty()) {
    start = request.initial_name.front() == '/' ? request.initial_name
                                                : folder + request.initial_name;
  }
  return utf8_from_ansi(start);
}

std::vector<std::string> zenity_arguments(const FileDialogRequest& request) {
  std::vector<std::string> arguments = {"--file-selection"};
  if (!request.title.empty()) arguments.push_back("--title=" + utf8_from_ansi(request.title));
  arguments.push_back("--filename=" + start_path(request));
  if (!request.open) {
    arguments.push_back("--save");
    if (request.confirm_overwrite) arguments.push_back("--confirm-overwrite");
  } else if (request.multiple) {
    arguments.push_back("--multiple");
    arguments.push_back("--separator=" + std::string(kZenitySeparator));
  }
  for (const FileDialogFilter& filter : filters_in_tool_order(request)) {
    arguments.push_back("--file-filter=" + utf8_from_ansi(filter.description) + " | " +
                        joined_patterns(filter));
  }
  return arguments;
}

std::vector<std::string> kdialog_arguments(const FileDialogRequest& request) {
  std::vector<std::string> arguments;
  if (!request.title.empty()) {
    arguments.push_back("--title");
    arguments.push_back(utf8_from_ansi(request.title));
  }
  if (request.open && request.multiple) {
    arguments.push_back("--multiple");
    arguments.push_back("--separate-output");
  }
  arguments.push_back(request.open ? "--getopenfilename" : "--getsavefilename");
  arguments.push_back(start_path(request));
  std::string filters;
  for (const FileDialogFilter& filter : filters_in_tool_order(request)) {
    if (!filters.empty()) filters += '\n';
    filters += joined_patterns(filter) + '|' + utf8_from_ansi(filter.description);
  }
  if (!filters.empty()) arguments.push_back(filters);
  return arguments;
}

// The paths in the tool's output, which ends with one newline: the whole of it, or with a
// separator the paths between separators.
std::vector<std::string> split_output(std::string output, std::string_view separator) {
  if (!output.empty() && output.back() == '\n') output.pop_back();
  std::vector<std::string> paths;
  if (output.empty()) return paths;
  std::size_t start = 0;
  for (std::size_t end;
       !separator.empty() && (end = output.find(separator, start)) != std::string::npos;
       start = end + separator.size()) {
    paths.push_back(output.substr(start, end - start));
  }
  paths.push_back(output.substr(start));
  return paths;
}

class DesktopFileDialogPresenter final : public FileDialogPresenter {
 public:
  DesktopFileDialogPresenter(Tool tool, std::string program)
      : tool_(tool), program_(std::move(program)) {}

  std::optional<FileDialogAnswer> show(const FileDialogRequest& request) override {
    const bool zenity = tool_ == Tool::kZenity;
    const std::optional<ToolResult> result =
        run_tool(program_, zenity ? zenity_arguments(request) : kdialog_arguments(request));
    // Exit code 1 is the user's cancel; any other failure of the tool cancels too. Without an
    // exit code, an answer printed counts: a cancel prints nothing.
    if (!result || result->exit_code.value_or(0) != 0) return std::nullopt;
    std::string_view separator;
    if (request.open && request.multiple) separator = zenity ? kZenitySeparator : "\n";
    FileDialogAnswer answer;
    // Neither tool reports the filter the user chose, so the one shown first stands.
    answer.filter_index = request.filter_index;
    for (std::string& path : split_output(result->output, separator)) {
      std::optional<std::string> ansi = ansi_from_utf8(path);
      if (!ansi) return std::nullopt;
      answer.paths.push_back(std::move(*ansi));
    }
    if (answer.paths.empty()) return std::nullopt;
    return answer;
  }

 private:
  Tool tool_;
  std::string program_;
};

}  // namespace

std::unique_ptr<FileDialogPresenter> make_desktop_file_dialog_presenter() {
  if (!has_display()) return nullptr;
  if (std::optional<std::string> zenity = find_on_path("zenity")) {
    return std::make_unique<DesktopFileDialogPresenter>(Tool::kZenity, std::move(*zenity));
  }
  if (std::optional<std::string> kdialog = find_on_path("kdialog")) {
    return std::make_unique<DesktopFileDialogPresenter>(Tool::kKdialog, std::move(*kdialog));
  }
  return nullptr;
}

}  // namespace vtplatform
