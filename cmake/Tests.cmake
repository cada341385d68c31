# The unit test programs: one per folder, named after it (compat/win32/process holds
# compat_win32_process_tests), from the *_test.cpp files beside the code they test. A folder adds
# them with vtutils_add_tests(); its LABELS join the label unit of every test it holds
# (process: tests that start, list, dump or end real processes).
#
# Tests run under a UTF-8 locale, the default ANSI code page on Linux; the locale-bound ones, in
# *_code_page_test.cpp files and in test suites whose names end in CodePage, run once under each
# ANSI code page of VTUTILS_TEST_LOCALES instead and take their sample texts from
# testing/code_page_samples.cpp.
#
# The test programs link the objects of both libraries, not the shared libraries, so that the
# tests reach internals that the libraries do not export. A test program thus holds the library
# itself, runs its load sequence as its own, and exports what the libraries export, so that
# GetProcAddress finds the layer's native services in it.

# Code page identifier and the locale that selects it: UTF-8, the Western single-byte page and
# the four double-byte pages. The locales need not be installed: the code page is read from the
# name.
set(VTUTILS_TEST_LOCALES
  65001 C.UTF-8
  1252 de_DE.CP1252
  932 ja_JP.SJIS
  936 zh_CN.GBK
  949 ko_KR.CP949
  950 zh_TW.BIG5)

# The name of the calling folder's test program, in `out`.
function(vtutils_test_program out)
  file(RELATIVE_PATH folder "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  string(REPLACE "/" "_" name "${folder}")
  set(${out} "${name}_tests" PARENT_SCOPE)
endfunction()

# vtutils_add_tests(<source>... [LABELS <label>...]): adds test sources to the calling folder's
# test program, made on the first call.
function(vtutils_add_tests)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "" "LABELS")
  vtutils_test_program(program)
  if(NOT TARGET ${program})
    add_executable(${program})
    target_link_libraries(${program} PRIVATE
      vtutils_testing vtutils_objects vtplatform_objects GTest::gtest_main GTest::gmock
      vtutils_warnings)
    set_target_properties(${program} PROPERTIES ENABLE_EXPORTS ON)
    set_property(GLOBAL APPEND PROPERTY VTUTILS_TEST_PROGRAMS ${program})
  endif()
  target_sources(${program} PRIVATE ${arg_UNPARSED_ARGUMENTS})
  set_property(GLOBAL APPEND PROPERTY VTUTILS_TEST_LABELS_${program} ${arg_LABELS})
  list(FILTER arg_UNPARSED_ARGUMENTS INCLUDE REGEX "_code_page_test\\.cpp$")
  if(arg_UNPARSED_ARGUMENTS)
    set_property(GLOBAL PROPERTY VTUTILS_TEST_CODE_PAGES_${program} TRUE)
  endif()
endfunction()

# Registered once every folder has added its sources (see testing/CMakeLists.txt). Tests that
# need root sit in test suites whose names end in AsRoot and skip for anyone else; they carry the
# label root as well. CTest sets the labels from a file of its own once it knows the tests'
# names, as gtest_discover_tests passes no list-valued property on.
function(vtutils_register_tests)
  set(labels_file "${CMAKE_CURRENT_BINARY_DIR}/vtutils_test_labels.cmake")
  file(WRITE "${labels_file}" "")
  get_property(programs GLOBAL PROPERTY VTUTILS_TEST_PROGRAMS)
  foreach(program IN LISTS programs)
    get_property(labels GLOBAL PROPERTY VTUTILS_TEST_LABELS_${program})
    list(PREPEND labels unit)
    list(REMOVE_DUPLICATES labels)
    # Test list, name prefix, locale and filter of each run.
    set(runs
      ${program} "" C.UTF-8 "-*AsRoot.*:*CodePage.*"
      ${program}_root "" C.UTF-8 "*AsRoot.*")
    get_property(code_pages GLOBAL PROPERTY VTUTILS_TEST_CODE_PAGES_${program})
    if(code_pages)
      set(locales ${VTUTILS_TEST_LOCALES})
      while(locales)
        list(POP_FRONT locales code_page locale)
        list(APPEND runs ${program}_cp${code_page} "cp${code_page}." ${locale}
          "*CodePage.*-*AsRoot.*")
      endwhile()
    endif()
    while(runs)
      list(POP_FRONT runs list prefix locale filter)
      gtest_discover_tests(${program}
        DISCOVERY_MODE PRE_TEST
        TEST_PREFIX "${prefix}"
        TEST_FILTER "${filter}"
        TEST_LIST ${list}
        PROPERTIES ENVIRONMENT "LC_ALL=${locale}")
      set(list_labels ${labels})
      if(list MATCHES "_root$")
        list(APPEND list_labels root)
      endif()
      file(APPEND "${labels_file}" "if(${list})
  set_tests_properties(\${${list}} PROPERTIES LABELS \"${list_labels}\")
endif()
")
    endwhile()
  endforeach()
  # After the files that gtest_discover_tests added, which define the lists.
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${labels_file}")
endfunction()
