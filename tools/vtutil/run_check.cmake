# Checks vtutil run end to end: the child runs in the folder given, gets its arguments word for
# word (blanks and quotes included, nothing expanded), and a program that does not exist is
# reported with exit status 1.
set(folder "${CMAKE_CURRENT_BINARY_DIR}/run_check")
file(REMOVE_RECURSE "${folder}")
file(MAKE_DIRECTORY "${folder}")

macro(fail text)
  file(REMOVE_RECURSE "${folder}")
  message(FATAL_ERROR "${text}")
endmacro()

execute_process(COMMAND "${VTUTIL}" run --folder "${folder}"
    sh -c "{ pwd; printf '%s|' \"$@\"; } > \"$1.part\" && mv \"$1.part\" \"$1\""
    started "it ran" "a 'b'" "$HOME" --flag
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out MATCHES "^[0-9]+\n$")
  fail("vtutil run failed (${status}): ${out}${err}")
endif()
# The child runs on by itself and moves its answer into place once it is complete.
foreach(attempt RANGE 50)
  if(EXISTS "${folder}/it ran")
    break()
  endif()
  execute_process(COMMAND sleep 0.1)
endforeach()
file(READ "${folder}/it ran" written)
if(NOT written STREQUAL "${folder}\nit ran|a 'b'|$HOME|--flag|")
  fail("the child wrote:\n${written}")
endif()

execute_process(COMMAND "${VTUTIL}" run vtutils-no-such-program
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 1 OR NOT err MATCHES "cannot start vtutils-no-such-program")
  fail("a missing program gave (${status}): ${out}${err}")
endif()
file(REMOVE_RECURSE "${folder}")
