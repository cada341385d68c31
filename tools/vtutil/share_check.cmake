# Checks vtutil share end to end on files of its own, reading the result back with getfacl:
# Everyone is the POSIX "other" class, and a shared folder passes the rights on through its
# default ACL unless --no-inherit is given.
find_program(getfacl getfacl)
if(NOT getfacl)
  message(FATAL_ERROR "getfacl (package acl) is needed to read the shared rights back")
endif()
set(folder "${CMAKE_CURRENT_BINARY_DIR}/share_check")
file(REMOVE_RECURSE "${folder}")
file(MAKE_DIRECTORY "${folder}/inherit" "${folder}/plain")
file(TOUCH "${folder}/file.txt")
file(CHMOD "${folder}/inherit" "${folder}/plain" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
file(CHMOD "${folder}/file.txt" PERMISSIONS OWNER_READ OWNER_WRITE)

macro(fail text)
  file(REMOVE_RECURSE "${folder}")
  message(FATAL_ERROR "${text}")
endmacro()

# Shares `path` with the further arguments and leaves its ACL, as getfacl prints it, in `acl`.
function(share path)
  execute_process(COMMAND "${VTUTIL}" share "${path}" ${ARGN} OUTPUT_VARIABLE out
    ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    fail("vtutil share ${path} ${ARGN} failed (${status}): ${err}")
  endif()
  execute_process(COMMAND "${getfacl}" --omit-header "${path}" OUTPUT_VARIABLE acl
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    fail("getfacl ${path} failed (${status})")
  endif()
  set(acl "${acl}" PARENT_SCOPE)
endfunction()

share("${folder}/inherit")
if(NOT acl MATCHES "(^|\n)other::r-x\n" OR NOT acl MATCHES "\ndefault:other::r-x\n")
  fail("a shared folder has the ACL\n${acl}")
endif()
share("${folder}/plain" --rights all --no-inherit)
if(NOT acl MATCHES "(^|\n)other::rwx\n" OR acl MATCHES "default:")
  fail("a folder shared with --no-inherit has the ACL\n${acl}")
endif()
share("${folder}/file.txt" --rights read write)
if(NOT acl MATCHES "(^|\n)other::rw-\n" OR NOT acl MATCHES "(^|\n)user::rw-\n")
  fail("a shared file has the ACL\n${acl}")
endif()

execute_process(COMMAND "${VTUTIL}" share "${folder}/missing" OUTPUT_VARIABLE out
  ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 1 OR NOT err MATCHES "missing")
  fail("vtutil share on a missing path gave (${status}) '${out}' '${err}'")
endif()
file(REMOVE_RECURSE "${folder}")
