# Checks vtutil sort end to end: natural order, the file-name order with --ignore-case, and a line
# whose sort key is longer than the usual buffer.
string(REPEAT "x" 3000 long_name)
set(input "${CMAKE_CURRENT_BINARY_DIR}/sort_sample.txt")
file(WRITE "${input}" "Plane 10\nplane 2\n${long_name} 2\nPlane 1\n${long_name} 10\nPlane 02\n")
execute_process(COMMAND "${VTUTIL}" sort INPUT_FILE "${input}" OUTPUT_VARIABLE sorted
  RESULT_VARIABLE status)
set(expected "Plane 1\nplane 2\nPlane 02\nPlane 10\n${long_name} 2\n${long_name} 10\n")
if(NOT status EQUAL 0 OR NOT sorted STREQUAL expected)
  message(FATAL_ERROR "vtutil sort gave (${status}):\n${sorted}")
endif()
file(WRITE "${input}" "b\nB\na\nA10\na9\n")
execute_process(COMMAND "${VTUTIL}" sort --ignore-case INPUT_FILE "${input}"
  OUTPUT_VARIABLE sorted RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT sorted STREQUAL "a\na9\nA10\nb\nB\n")
  message(FATAL_ERROR "vtutil sort --ignore-case gave (${status}):\n${sorted}")
endif()
