# Checks vtutil deps and storage end to end on a copy of the sample document: the list as stored,
# an entry added and kept with the others, the 12-byte stream of an empty list, a new document
# made by `deps add`, and ten adds at once that all keep their entry.
set(work "${CMAKE_CURRENT_BINARY_DIR}/deps_check")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}")
file(COPY "${SAMPLE}" DESTINATION "${work}")
get_filename_component(document "${SAMPLE}" NAME)
set(document "${work}/${document}")

function(vtutil expected_status)
  execute_process(COMMAND "${VTUTIL}" ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err
                  RESULT_VARIABLE status)
  if(NOT status EQUAL expected_status)
    message(FATAL_ERROR "vtutil ${ARGN} ended with ${status}:\n${out}${err}")
  endif()
  set(out "${out}${err}" PARENT_SCOPE)
endfunction()

function(expect text)
  if(NOT out STREQUAL text)
    message(FATAL_ERROR "expected:\n${text}\ngot:\n${out}")
  endif()
endfunction()

vtutil(0 deps list "${document}")
expect("3 C:\\Models\\bracket.igs\n17 D:\\Projekte\\Gehäuse.stp\n42 /data/cad/Flansch Ø40.step\n")

vtutil(0 deps add "${document}" 7 "relative/Teil 7.igs")
vtutil(0 deps list "${document}")
expect("3 C:\\Models\\bracket.igs\n17 D:\\Projekte\\Gehäuse.stp\n42 /data/cad/Flansch Ø40.step\n7 relative/Teil 7.igs\n")

vtutil(0 deps clear "${document}")
vtutil(0 storage ls "${document}")
expect("FOPDependencies  12\n")
vtutil(0 storage cat "${document}" FOPDependencies)
expect("\nVERSION\n1\n\n")

vtutil(0 deps add "${work}/new.vtd" 4294967295 "x.igs")
vtutil(0 deps list "${work}/new.vtd")
expect("4294967295 x.igs\n")

# Ten programs adding to one new document at once: each waits its turn, none loses another's.
execute_process(COMMAND sh -c "for id in 1 2 3 4 5 6 7 8 9 10; do
    '${VTUTIL}' deps add '${work}/shared.vtd' $id part$id.igs || echo failed & done; wait"
  OUTPUT_VARIABLE out ERROR_VARIABLE err)
vtutil(0 deps list "${work}/shared.vtd")
string(REGEX MATCHALL "part[0-9]+\\.igs" entries "${out}")
list(LENGTH entries count)
if(NOT count EQUAL 10)
  message(FATAL_ERROR "ten parallel adds kept:\n${out}")
endif()

file(REMOVE_RECURSE "${work}")
