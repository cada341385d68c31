# Checks vtutil ps end to end on processes whose names and parents are known: a copy of vtutil
# named vtu_ps_check64 runs every command, so `ps find` meets exactly one matching process (the
# copy itself, whose parent is this cmake), `ps tree` of that parent shows the copy as its only
# child, and `ps modules` of it lists cmake's own executable first.
set(work "${CMAKE_CURRENT_BINARY_DIR}/ps_check")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}")
set(program "${work}/vtu_ps_check64")
file(CREATE_LINK "${VTUTIL}" "${program}" COPY_ON_ERROR)

macro(fail text)
  file(REMOVE_RECURSE "${work}")
  message(FATAL_ERROR "${text}")
endmacro()

function(vtutil expected_status)
  execute_process(COMMAND "${program}" ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err
                  RESULT_VARIABLE status)
  if(NOT status EQUAL expected_status)
    fail("vtutil ${ARGN} ended with ${status}:\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

# The name with two more characters and in another case finds the copy; three more do not.
vtutil(0 ps find VTU_PS_CHECK --all)
if(NOT out MATCHES "^PID +PPID +ORPHANED +EXECUTABLE\n[0-9]+ +([0-9]+) +no +([^\n]*)\n$")
  fail("unexpected ps find output:\n${out}")
endif()
set(cmake_pid "${CMAKE_MATCH_1}")
if(NOT CMAKE_MATCH_2 STREQUAL program)
  fail("ps find named the executable ${CMAKE_MATCH_2}, not ${program}")
endif()
vtutil(1 ps find vtu_ps_chec --all)
if(NOT out STREQUAL "" OR NOT err MATCHES "no running process has an executable named vtu_ps_chec")
  fail("unexpected ps find failure: '${out}' '${err}'")
endif()

# A new copy runs each command, so only the shape of its line is known.
file(REAL_PATH "${CMAKE_COMMAND}" cmake_path)
get_filename_component(cmake_name "${cmake_path}" NAME)
vtutil(0 ps tree ${cmake_pid})
if(NOT out MATCHES "^${cmake_pid} ${cmake_name}\n  [0-9]+ vtu_ps_check64\n$")
  fail("unexpected ps tree output:\n${out}")
endif()
vtutil(0 ps modules ${cmake_pid})
if(NOT out MATCHES "^MODULE +PATH\n0x[0-9a-f]+ ([^\n]*)\n")
  fail("unexpected ps modules output:\n${out}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL cmake_path)
  fail("ps modules listed ${CMAKE_MATCH_1} first, not ${cmake_path}")
endif()

# No process has the largest id that is not the invalid one.
foreach(command modules tree)
  vtutil(1 ps ${command} 4294967294)
  if(NOT err MATCHES "no running process has id 4294967294")
    fail("unexpected ps ${command} failure: '${out}' '${err}'")
  endif()
endforeach()
file(REMOVE_RECURSE "${work}")
