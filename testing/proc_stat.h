// What /proc says about a process, read independently of the code under test: single fields of
// its stat line and the states of its threads.
#pragma once

#include <sys/types.h>

#include <string>

namespace vtutils::testing {

// Field `field` of /proc/`pid`/stat as proc(5) numbers them (3 is the state, 4 the parent, 6 the
// session), for fields after the command name; "" when the process or the field is not there.
std::string proc_stat_field(pid_t pid, int field);

// The state letter of every thread of the process, in /proc/`pid`/task order.
std::string thread_states(pid_t pid);

}  // namespace vtutils::testing
