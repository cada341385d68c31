# Checks vtutil xml set and get end to end: a new file made with --create, values of each type
# written and read back, a value changed in place, and the failures a user meets: a missing value,
# a bad number, a malformed file. Everything lives in a temp folder of its own.
set(folder "${CMAKE_CURRENT_BINARY_DIR}/xml_check")
file(REMOVE_RECURSE "${folder}")
file(MAKE_DIRECTORY "${folder}")
set(file "${folder}/settings.xml")

macro(fail text)
  file(REMOVE_RECURSE "${folder}")
  message(FATAL_ERROR "${text}")
endmacro()

macro(vtutil)
  execute_process(COMMAND "${VTUTIL}" ${ARGN}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
endmacro()

vtutil(xml set "${file}" /settings Title "Bracket & \"plate\"" --create settings)
vtutil(xml set "${file}" /settings Zoom -150 --type int)
vtutil(xml set "${file}" /settings Grid true --type bool)
vtutil(xml set "${file}" /settings Zoom 200 --type int)
if(NOT status EQUAL 0)
  fail("xml set failed (${status}): ${out}${err}")
endif()
file(READ "${file}" stored)
string(REGEX MATCHALL "<Zoom " zooms "${stored}")
list(LENGTH zooms zoom_count)
if(NOT stored MATCHES "<Title value=\"Bracket &amp; &quot;plate&quot;\" */>" OR
   NOT stored MATCHES "<Grid value=\"1\" */>" OR NOT zoom_count EQUAL 1)
  fail("the file holds:\n${stored}")
endif()

foreach(case "Title;text;Bracket & \"plate\"" "Zoom;int;200" "Grid;bool;true")
  list(GET case 0 name)
  list(GET case 1 type)
  list(GET case 2 expected)
  vtutil(xml get "${file}" /settings ${name} --type ${type})
  if(NOT status EQUAL 0 OR NOT out STREQUAL "${expected}\n")
    fail("xml get ${name} --type ${type} gave (${status}): ${out}${err}")
  endif()
endforeach()

vtutil(xml get "${file}" /settings Missing)
if(NOT status EQUAL 1 OR NOT err MATCHES "no text value Missing")
  fail("a missing value gave (${status}): ${out}${err}")
endif()
vtutil(xml get "${file}" /settings Title --type int)
if(NOT status EQUAL 1)
  fail("text read as a number gave (${status}): ${out}${err}")
endif()
vtutil(xml set "${file}" /settings * 1 --type int)
if(NOT status EQUAL 1 OR NOT err MATCHES "not an element name")
  fail("a query as the name gave (${status}): ${out}${err}")
endif()
vtutil(xml set "${file}" /settings Zoom 12x --type int)
if(NOT status EQUAL 1 OR NOT err MATCHES "not a whole number")
  fail("a bad number gave (${status}): ${out}${err}")
endif()
file(WRITE "${folder}/broken.xml" "<settings><Zoom value=\"1\"></settings>")
vtutil(xml get "${folder}/broken.xml" /settings Zoom --type int)
if(NOT status EQUAL 1 OR NOT err MATCHES "line 1")
  fail("a malformed file gave (${status}): ${out}${err}")
endif()
file(READ "${folder}/broken.xml" broken)
if(NOT broken STREQUAL "<settings><Zoom value=\"1\"></settings>")
  fail("reading changed the malformed file")
endif()

# Twenty programs setting values in one file at once: each waits its turn, none loses another's.
execute_process(COMMAND sh -c "for id in $(seq 1 20); do
    '${VTUTIL}' xml set '${file}' /settings Part$id $id --type int || echo failed & done; wait"
  OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(READ "${file}" stored)
string(REGEX MATCHALL "<Part[0-9]+ " parts "${stored}")
list(LENGTH parts part_count)
if(NOT part_count EQUAL 20 OR out MATCHES "failed")
  fail("twenty parallel sets kept ${part_count}: ${out}${err}\n${stored}")
endif()
# A file whose update another program holds is refused as in use once the wait is over.
execute_process(COMMAND flock "${file}.lock" "${VTUTIL}" xml set "${file}" /settings Held 1
    --wait 100
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 1 OR NOT err MATCHES "is in use by another program")
  fail("a held file gave (${status}): ${out}${err}")
endif()
file(REMOVE_RECURSE "${folder}")
