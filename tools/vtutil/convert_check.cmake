# Checks vtutil convert end to end: UTF-8 text to code page 1252 and back is unchanged, and a
# character that 1252 cannot hold is replaced and reported.
set(sample "${CMAKE_CURRENT_BINARY_DIR}/convert_sample.txt")
file(WRITE "${sample}" "Maßband Ø 12,5 mm\n")
execute_process(COMMAND "${VTUTIL}" convert --from utf-8 --to 1252
  INPUT_FILE "${sample}" OUTPUT_FILE "${sample}.1252" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "convert to 1252 failed: ${status}")
endif()
file(SIZE "${sample}.1252" size)
if(NOT size EQUAL 18)
  message(FATAL_ERROR "expected 18 bytes in code page 1252, got ${size}")
endif()
execute_process(COMMAND "${VTUTIL}" convert --from cp1252 --to utf-8
  INPUT_FILE "${sample}.1252" OUTPUT_VARIABLE back RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT back STREQUAL "Maßband Ø 12,5 mm\n")
  message(FATAL_ERROR "round trip through 1252 gave '${back}' (${status})")
endif()
file(WRITE "${sample}" "Ω\n")
execute_process(COMMAND "${VTUTIL}" convert --from utf-8 --to 1252 --strict
  INPUT_FILE "${sample}" OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(status EQUAL 0)
  message(FATAL_ERROR "--strict accepted a character that 1252 cannot hold")
endif()
