// Fuzzes the /proc/PID/stat parser on text parsed in place, so that a read past its end is a
// fault: any text is parsed or refused without fault. The command name is exactly the text
// between the first '(' and the last ')', and the fields written back as a stat line, with every
// field the parser skips set to 0, parse to the same fields.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "win32/process/process_stat_linux.h"

namespace {

// A stat line in the kernel's layout: pid, (comm), state, then fields 4 to 22.
std::string stat_line(const vtplatform::ProcessStat& stat) {
  using std::to_string;
  std::string line = to_string(stat.pid) + " (" + stat.comm + ") " + stat.state;
  line += ' ' + to_string(stat.parent) + " 0 0 0 0 0 0 0 0 0";  // fields 4 to 13
  line += ' ' + to_string(stat.user_ticks) + ' ' + to_string(stat.kernel_ticks);
  line += " 0 0 0 0 " + to_string(stat.threads) + " 0 " + to_string(stat.start_ticks);
  return line + " 0 0\n";  // the fields after 22 are read by nobody
}

bool same_fields(const vtplatform::ProcessStat& a, const vtplatform::ProcessStat& b) {
  return a.pid == b.pid && a.comm == b.comm && a.state == b.state && a.parent == b.parent &&
         a.user_ticks == b.user_ticks && a.kernel_ticks == b.kernel_ticks &&
         a.threads == b.threads && a.start_ticks == b.start_ticks;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto stat = vtplatform::parse_process_stat(text);
  if (!stat) return 0;

  const std::size_t open = text.find('(');
  if (open == std::string_view::npos || text.substr(open + 1, stat->comm.size()) != stat->comm ||
      text.rfind(')') != open + 1 + stat->comm.size()) {
    __builtin_trap();
  }
  const auto again = vtplatform::parse_process_stat(stat_line(*stat));
  if (!again || !same_fields(*again, *stat)) __builtin_trap();
  return 0;
}
