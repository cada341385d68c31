# Makes vtutil.1 with help2man from `vtutil --help`, adding a COMMANDS section with the help of
# every command and subcommand as `vtutil help` prints it.
#   cmake -DVTUTIL=... -DHELP2MAN=... -DOUTPUT=.../vtutil.1 -P man_page.cmake
cmake_minimum_required(VERSION 3.25)

# The commands listed under "Subcommands:" in the help of `words`.
function(commands_of words out)
  execute_process(COMMAND "${VTUTIL}" help ${words} OUTPUT_VARIABLE help COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCH "\nSubcommands:\n[^\n]+(\n  [^\n]+)*" listed "${help}")
  string(REGEX MATCHALL "\n  [a-z]+ " names "${listed}")
  list(TRANSFORM names STRIP)
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

# `text` as roff lines kept as they are.
function(append_verbatim text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  file(APPEND "${include}" ".nf\n${text}\n.fi\n")
endfunction()

set(include "${OUTPUT}.h2m")
file(WRITE "${include}" "[COMMANDS]\n")
commands_of("" commands)
foreach(command IN LISTS commands)
  if(command STREQUAL "help")
    continue()
  endif()
  commands_of("${command}" subcommands)
  foreach(words IN ITEMS "${command}" ${subcommands})
    if(NOT words STREQUAL command)
      set(words "${command};${words}")
    endif()
    execute_process(COMMAND "${VTUTIL}" help ${words} OUTPUT_VARIABLE help
      COMMAND_ERROR_IS_FATAL ANY)
    list(JOIN words " " name)
    file(APPEND "${include}" ".SS \"vtutil ${name}\"\n")
    append_verbatim("${help}")
  endforeach()
endforeach()

execute_process(COMMAND "${HELP2MAN}" --no-info --no-discard-stderr --section 1
    --name "the VTUtils utility library from the command line" --include "${include}"
    --output "${OUTPUT}" "${VTUTIL}"
  COMMAND_ERROR_IS_FATAL ANY)

# help2man knows no exit status heading; the help's "Exit status:" becomes that section.
file(READ "${OUTPUT}" page)
string(REPLACE ".SS \"Exit status:\"" ".SH \"EXIT STATUS\"" page "${page}")
file(WRITE "${OUTPUT}" "${page}")
