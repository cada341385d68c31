# Checks vtutil path free end to end in a folder of its own: numbering from 1 and from a given
# number, the Explorer numbering, and the failures a script must be able to see.
set(folder "${CMAKE_CURRENT_BINARY_DIR}/path_free_check")
file(REMOVE_RECURSE "${folder}")
file(MAKE_DIRECTORY "${folder}")
file(TOUCH "${folder}/scan.txt" "${folder}/scan1.txt" "${folder}/scan2.txt" "${folder}/scan5.txt"
  "${folder}/scan (2).txt")

macro(fail text)
  file(REMOVE_RECURSE "${folder}")
  message(FATAL_ERROR "${text}")
endmacro()

function(expect_free expected)
  execute_process(COMMAND "${VTUTIL}" path free ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT out STREQUAL "${expected}\n")
    fail("vtutil path free ${ARGN} gave (${status}) '${out}' ${err}, expected '${expected}'")
  endif()
endfunction()

expect_free("${folder}/scan3.txt" "${folder}" scan .txt)
# A trailing separator on the folder makes no double one in the result.
expect_free("${folder}/scan3.txt" "${folder}/" scan .txt)
expect_free("${folder}/scan6.txt" "${folder}" scan .txt --first 5)
expect_free("${folder}/scan-1.txt" "${folder}" scan .txt --first -1)
expect_free("${folder}/scan (3).txt" "${folder}" scan .txt --windows)
expect_free("${folder}/part.txt" "${folder}" part .txt --windows)

function(expect_failure what)
  execute_process(COMMAND "${VTUTIL}" path free ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err
    RESULT_VARIABLE status)
  if(status EQUAL 0 OR NOT out STREQUAL "" OR err STREQUAL "")
    fail("vtutil path free accepted ${what}: (${status}) '${out}'")
  endif()
endfunction()

string(REPEAT "x" 300 long_name)
expect_failure("a folder longer than a path may be" "${folder}/${long_name}" scan .txt)
expect_failure("a file name longer than a path may be" "${folder}" "${long_name}" .txt --windows)
expect_failure("an extension without its dot" "${folder}" scan txt)
expect_failure("--first together with --windows" "${folder}" scan .txt --first 2 --windows)
file(REMOVE_RECURSE "${folder}")
