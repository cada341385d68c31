# Checks which processes vtutil kill and dump take, on helper processes started with vtutil run:
# a thread's id is refused, --name warns when several processes match and --all ends each,
# dump --output writes the file or into the folder it names, readable by its owner only, and
# (as root) a process that an ordinary user may not signal is refused at once.
set(folder "${CMAKE_CURRENT_BINARY_DIR}/kill_target_check")
file(REMOVE_RECURSE "${folder}")
file(MAKE_DIRECTORY "${folder}")
set(helpers "")

macro(fail text)
  foreach(pid IN LISTS helpers)
    execute_process(COMMAND kill -9 ${pid})
  endforeach()
  file(REMOVE_RECURSE "${folder}")
  message(FATAL_ERROR "${text}")
endmacro()

macro(vtutil)
  execute_process(COMMAND "${VTUTIL}" ${ARGN}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
endmacro()

# Starts `program` with the helper's arguments and sets `variable` to its id.
macro(start_helper variable program)
  vtutil(run "${program}" ${ARGN})
  if(NOT status EQUAL 0 OR NOT out MATCHES "^([0-9]+)\n$")
    fail("vtutil run ${program} failed (${status}): ${out}${err}")
  endif()
  set(${variable} "${CMAKE_MATCH_1}")
  list(APPEND helpers ${CMAKE_MATCH_1})
endmacro()

# A helper with threads: their ids are refused by kill and dump.
start_helper(threads "${HELPER}" threads 2)
foreach(tries RANGE 50)
  file(GLOB tasks RELATIVE "/proc/${threads}/task" "/proc/${threads}/task/*")
  list(REMOVE_ITEM tasks "${threads}")
  if(tasks)
    break()
  endif()
  execute_process(COMMAND sleep 0.05)
endforeach()
list(GET tasks 0 thread)
vtutil(kill ${thread})
if(NOT status EQUAL 1 OR NOT out STREQUAL "" OR
   NOT err STREQUAL "vtutil: kill: ${thread} is a thread of process ${threads}, not a process\n")
  fail("kill of a thread's id gave (${status}): ${out}${err}")
endif()

# dump --output: a file of that name, or a generated name inside a folder; mode 0600 either way.
vtutil(dump ${threads} --output "${folder}/chosen.dmp")
if(NOT status EQUAL 0 OR NOT out STREQUAL "${folder}/chosen.dmp\n")
  fail("dump --output FILE gave (${status}): ${out}${err}")
endif()
vtutil(dump ${threads} --output "${folder}")
if(NOT status EQUAL 0 OR NOT out MATCHES "^${folder}/process_helper[0-9. -]+\\.dmp\n$")
  fail("dump --output FOLDER gave (${status}): ${out}${err}")
endif()
string(STRIP "${out}" generated)
foreach(dump "${folder}/chosen.dmp" "${generated}")
  file(READ "${dump}" signature LIMIT 4 HEX)
  execute_process(COMMAND stat -c %a "${dump}" OUTPUT_VARIABLE mode)
  if(NOT signature STREQUAL "4d444d50" OR NOT mode STREQUAL "600\n")
    fail("${dump} starts with ${signature} and has mode ${mode}")
  endif()
endforeach()

# Two processes of one name: without --all the first is ended with a warning, with it the rest.
file(COPY_FILE "${HELPER}" "${folder}/vtkilltwin")
start_helper(first "${folder}/vtkilltwin" sleep 60000)
start_helper(second "${folder}/vtkilltwin" sleep 60000)
vtutil(kill --name vtkilltwin)
if(NOT status EQUAL 0 OR NOT out STREQUAL "killed\n" OR NOT err MATCHES
   "^vtutil: kill: 2 running processes have an executable named vtkilltwin; ending the first, process [0-9]+ \\(--all ends every one\\)\n$")
  fail("kill --name of two processes gave (${status}): ${out}${err}")
endif()
vtutil(kill --name vtkilltwin --all)
if(NOT status EQUAL 0 OR NOT out MATCHES "^(${first}|${second}) killed\n$" OR NOT err STREQUAL "")
  fail("kill --name --all gave (${status}): ${out}${err}")
endif()

# Another user's process: refused before the protocol starts, in well under the 5 s it would
# otherwise wait.
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(uid EQUAL 0)
  string(TIMESTAMP before "%s")
  execute_process(COMMAND setpriv --reuid=65534 --regid=65534 --clear-groups
      "${VTUTIL}" kill ${threads}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  string(TIMESTAMP after "%s")
  math(EXPR seconds "${after} - ${before}")
  if(NOT status EQUAL 1 OR NOT out STREQUAL "" OR seconds GREATER 1 OR
     NOT err STREQUAL "vtutil: kill: ${threads}: Operation not permitted\n")
    fail("kill of root's process as an ordinary user gave (${status}, ${seconds} s): ${out}${err}")
  endif()
else()
  message(STATUS "skipped: refusing another user's process needs root to start one")
endif()

foreach(pid IN LISTS helpers)
  execute_process(COMMAND kill -9 ${pid})
endforeach()
file(REMOVE_RECURSE "${folder}")
