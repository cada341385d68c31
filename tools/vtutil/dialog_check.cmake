# Checks vtutil filter, and vtutil open and save end to end against a stand-in zenity: a script
# first on PATH that records its arguments and prints the path it is told to, or cancels. The
# open dialog with --profile must reopen in the folder of the file chosen before, which lives in
# a registry store of the check's own.
set(folder "${CMAKE_CURRENT_BINARY_DIR}/dialog_check")
file(REMOVE_RECURSE "${folder}")
file(MAKE_DIRECTORY "${folder}/bin" "${folder}/config" "${folder}/start" "${folder}/chosen files")

macro(fail text)
  file(REMOVE_RECURSE "${folder}")
  message(FATAL_ERROR "${text}")
endmacro()

macro(expect_output expected)
  if(NOT status EQUAL 0 OR NOT out STREQUAL "${expected}")
    fail("expected:\n${expected}got (${status}):\n${out}${err}")
  endif()
endmacro()

execute_process(COMMAND "${VTUTIL}" filter --item "Text files" "*.txt" --item Logs "*.LOG; *.txt"
    --show-patterns --all "All files" --combine
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
string(CONCAT expected "Text files (*.txt)|*.txt|Logs (*.LOG; *.txt)|*.LOG; *.txt|"
  "All files (*.txt;*.log)|*.txt;*.log||\n")
expect_output("${expected}")
execute_process(COMMAND "${VTUTIL}" filter --item Logs "*.log" --all "All files" --all-first
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
expect_output("All files (*.*)|*.*|Logs|*.log||\n")
# A "|" inside a part would split the list, an empty part would end it early.
foreach(part "a|b" "")
  execute_process(COMMAND "${VTUTIL}" filter --item Logs "${part}"
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(status EQUAL 0)
    fail("filter accepted the pattern list \"${part}\": ${out}")
  endif()
endforeach()

# The stand-in writes its arguments one a line to `arguments`, then prints the content of
# `answer`, or exits with 1, the user's cancel, when there is none.
file(WRITE "${folder}/bin/zenity" "#!/bin/sh
printf '%s\\n' \"$@\" > '${folder}/arguments'
[ -f '${folder}/answer' ] || exit 1
cat '${folder}/answer'
")
file(CHMOD "${folder}/bin/zenity" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

# Runs vtutil with the stand-in first on PATH, a display to use, and the temp folder as the
# user's configuration folder, from the temp folder.
macro(vtutil)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env "PATH=${folder}/bin:$ENV{PATH}" DISPLAY=:99
      "XDG_CONFIG_HOME=${folder}/config" "${VTUTIL}" ${ARGN}
    WORKING_DIRECTORY "${folder}"
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(EXISTS "${folder}/arguments")
    file(STRINGS "${folder}/arguments" arguments)
  else()
    set(arguments "")
  endif()
endmacro()

# The argument of the stand-in's last run that starts with `prefix`, without the prefix.
function(argument prefix variable)
  set(found "")
  foreach(argument IN LISTS arguments)
    string(FIND "${argument}" "${prefix}" at)
    if(at EQUAL 0)
      string(LENGTH "${prefix}" length)
      string(SUBSTRING "${argument}" ${length} -1 found)
    endif()
  endforeach()
  set(${variable} "${found}" PARENT_SCOPE)
endfunction()

set(chosen "${folder}/chosen files/scan 1.txt")
file(WRITE "${folder}/answer" "${chosen}\n")
vtutil(open --profile Test Folder --folder "${folder}/start" --title "Pick a scan"
  --filter "Text files|*.txt|Logs|*.log||")
expect_output("${chosen}\n")
argument("--filename=" start)
argument("--title=" title)
argument("--file-filter=" last_filter)
if(NOT start STREQUAL "${folder}/start/" OR NOT title STREQUAL "Pick a scan" OR
   NOT last_filter STREQUAL "Logs | *.log")
  fail("the first dialog was shown with:\n${arguments}")
endif()
# The second run opens where the first chose its file, not in the default folder.
vtutil(open --profile Test Folder --folder "${folder}/start")
expect_output("${chosen}\n")
argument("--filename=" start)
string(FIND "${start}" "${folder}/chosen files" at)
if(NOT at EQUAL 0)
  fail("the second dialog opened in ${start}, not in the folder stored by the first")
endif()

# Several files: the folder and each name joined again.
file(WRITE "${folder}/answer" "${folder}/chosen files/a.txt//${folder}/chosen files/b c.txt\n")
vtutil(open --multiple --folder "${folder}/start")
expect_output("${folder}/chosen files/a.txt\n${folder}/chosen files/b c.txt\n")
argument("--filename=" start)
list(FIND arguments "--multiple" multiple)
if(NOT start STREQUAL "${folder}/start/" OR multiple EQUAL -1)
  fail("the multiple open dialog was shown with:\n${arguments}")
endif()

# A save dialog adds the default extension to a name without one.
file(WRITE "${folder}/answer" "${folder}/chosen files/report\n")
vtutil(save --extension csv --name report)
expect_output("${folder}/chosen files/report.csv\n")
list(FIND arguments "--save" save)
if(save EQUAL -1)
  fail("the save dialog was shown with:\n${arguments}")
endif()

file(REMOVE "${folder}/answer")
vtutil(open --profile Test Folder)
if(NOT status EQUAL 1 OR NOT out STREQUAL "" OR NOT err STREQUAL "vtutil: open: cancelled\n")
  fail("a cancel gave (${status}): ${out}${err}")
endif()
file(REMOVE_RECURSE "${folder}")
