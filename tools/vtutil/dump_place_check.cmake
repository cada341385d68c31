# Checks where vtutil dump writes when the executable's folder is no place for the dump, and what
# it says when it cannot dump: an ordinary user's program in a folder that the user may not write
# is dumped into the user's dump folder (made 0700) as a file of mode 0600, after a warning that
# says why; and where ptrace is restricted as under the Yama ptrace scope 1 (the ptrace scope
# shim), vtutil dump and kill --dump of a process that vtutil did not start say that reason.
set(folder "${CMAKE_CURRENT_BINARY_DIR}/dump_place_check")
file(REMOVE_RECURSE "${folder}")
file(MAKE_DIRECTORY "${folder}/program" "${folder}/state" "${folder}/declarations")
file(COPY_FILE "${HELPER}" "${folder}/program/vtdumpplace")
set(helpers "")

macro(cleanup)
  foreach(pid IN LISTS helpers)
    execute_process(COMMAND kill -9 ${pid})
  endforeach()
  file(CHMOD "${folder}/program" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  file(REMOVE_RECURSE "${folder}")
endmacro()

macro(fail text)
  cleanup()
  message(FATAL_ERROR "${text}")
endmacro()

# Runs vtutil with ARGN as `user` (an empty list: as the caller) in the environment `env`.
macro(vtutil_as user env)
  execute_process(COMMAND ${user} ${CMAKE_COMMAND} -E env ${env} "${VTUTIL}" ${ARGN}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
endmacro()

# Starts the helper program `program` with vtutil run as `user` in `env`, sleeping, and sets `pid`.
macro(start_helper user env program)
  vtutil_as("${user}" "${env}" run "${program}" sleep 60000)
  if(NOT status EQUAL 0 OR NOT out MATCHES "^([0-9]+)\n$")
    fail("vtutil run ${program} failed (${status}): ${out}${err}")
  endif()
  set(pid "${CMAKE_MATCH_1}")
  list(APPEND helpers ${pid})
endmacro()

# An ordinary user, and a program folder that user may not write: as root, nobody, with the folder
# root's and the state folder nobody's; otherwise the caller, with the folder made read-only.
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
set(user "")
if(uid EQUAL 0)
  set(user setpriv --reuid=65534 --regid=65534 --clear-groups)
  execute_process(COMMAND chown 65534:65534 "${folder}/state")
else()
  file(CHMOD "${folder}/program" DIRECTORY_PERMISSIONS OWNER_READ OWNER_EXECUTE)
endif()
set(state_env "XDG_STATE_HOME=${folder}/state")

start_helper("${user}" "${state_env}" "${folder}/program/vtdumpplace")
vtutil_as("${user}" "${state_env}" dump ${pid})
set(dumps "${folder}/state/vtutils/dumps")
if(NOT status EQUAL 0 OR NOT out MATCHES "^${dumps}/vtdumpplace[0-9. -]+\\.dmp\n$" OR
   NOT err STREQUAL "vtutil: dump: cannot write to ${folder}/program (Permission denied); the dump goes to ${dumps}/\n")
  fail("dump of a program in a read-only folder gave (${status}): ${out}${err}")
endif()
string(STRIP "${out}" dump)
foreach(path_mode "${folder}/state/vtutils;700" "${dumps};700" "${dump};600")
  list(GET path_mode 0 path)
  list(GET path_mode 1 expected)
  execute_process(COMMAND stat -c %a "${path}" OUTPUT_VARIABLE mode OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT mode STREQUAL expected)
    fail("${path} has mode ${mode}, not ${expected}")
  endif()
endforeach()

# Under the emulated scope 1: the program that an earlier vtutil run started named that vtutil as
# its tracer, which has ended since, so a later vtutil dump may not debug it.
# Under ASan the shim comes before the sanitizer's runtime, which ASan must be told to allow.
set(scope_env "LD_PRELOAD=${SHIM}" "VT_PTRACE_SCOPE_FOLDER=${folder}/declarations"
    "ASAN_OPTIONS=$ENV{ASAN_OPTIONS}:verify_asan_link_order=0")
start_helper("" "${scope_env}" "${HELPER}")
set(refusal "the system does not let vtutil debug it: another debugger holds it, or the Yama ptrace scope \\(/proc/sys/kernel/yama/ptrace_scope\\) lets vtutil debug only its own descendants")
vtutil_as("" "${scope_env}" dump ${pid} --output "${folder}")
if(NOT status EQUAL 1 OR NOT out STREQUAL "" OR NOT err MATCHES
   "^vtutil: dump: no dump written of process ${pid} to ${folder}/process_helper[0-9. -]+\\.dmp: ${refusal}\n$")
  fail("dump refused by the ptrace scope gave (${status}): ${out}${err}")
endif()
# kill --dump still ends the process, and says why it could not dump it first.
vtutil_as("" "${scope_env}" kill --dump normal ${pid})
if(NOT status EQUAL 0 OR NOT out STREQUAL "killed\ndump: none written\n" OR
   NOT err MATCHES "^vtutil: kill: no dump written of process ${pid}: ${refusal}\n$")
  fail("kill --dump refused by the ptrace scope gave (${status}): ${out}${err}")
endif()

cleanup()
