# Checks vtutil access end to end on a folder of its own: the owner's rights are granted, and
# the exit status tells a missing folder and a call without rights apart from an answer.
set(folder "${CMAKE_CURRENT_BINARY_DIR}/access_check")
file(REMOVE_RECURSE "${folder}")
file(MAKE_DIRECTORY "${folder}")

macro(fail text)
  file(REMOVE_RECURSE "${folder}")
  message(FATAL_ERROR "${text}")
endmacro()

foreach(rights "--read" "--read;--write;--execute" "--all")
  execute_process(COMMAND "${VTUTIL}" access "${folder}" ${rights} OUTPUT_VARIABLE out
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT out STREQUAL "granted\n")
    fail("vtutil access ${rights} on its own folder gave (${status}) '${out}'")
  endif()
endforeach()

execute_process(COMMAND "${VTUTIL}" access "${folder}/missing" --read OUTPUT_VARIABLE out
  ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 1 OR NOT out STREQUAL "" OR NOT err MATCHES "missing")
  fail("vtutil access on a missing folder gave (${status}) '${out}' '${err}'")
endif()

execute_process(COMMAND "${VTUTIL}" access "${folder}" OUTPUT_VARIABLE out ERROR_VARIABLE err
  RESULT_VARIABLE status)
if(status EQUAL 0 OR status EQUAL 1 OR NOT out STREQUAL "")
  fail("vtutil access without rights gave (${status}) '${out}' '${err}'")
endif()
file(REMOVE_RECURSE "${folder}")
