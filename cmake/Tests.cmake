# The unit test binaries. Tests live beside the code they test; each folder adds its *_test.cpp
# files to one of these targets with vtutils_add_tests().
#
#   vtutils_unit_tests       runs under a UTF-8 locale, the default ANSI code page on Linux
#   vtutils_code_page_tests  the locale-bound tests (*_code_page_test.cpp), run once under each
#                            ANSI code page of VTUTILS_TEST_LOCALES; they take their sample
#                            texts from testing/code_page_samples.cpp
#
# The test programs link the objects of both libraries, not the shared libraries, so that the
# tests reach internals that the libraries do not export. A test program thus holds the library
# itself, runs its load sequence as its own, and exports what the libraries export, so that
# GetProcAddress finds the layer's native services in it.
add_executable(vtutils_unit_tests)
add_executable(vtutils_code_page_tests)
foreach(target vtutils_unit_tests vtutils_code_page_tests)
  target_link_libraries(${target} PRIVATE
    vtutils_testing vtutils_objects vtplatform_objects GTest::gtest_main GTest::gmock
    vtutils_warnings)
  set_target_properties(${target} PROPERTIES ENABLE_EXPORTS ON)
endforeach()
# The allocation test counts ICU's own allocations through ICU's allocator hook.
target_link_libraries(vtutils_unit_tests PRIVATE ICU::uc)

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

function(vtutils_add_tests target)
  target_sources(${target} PRIVATE ${ARGN})
endfunction()

# Registered once every folder has added its sources (see testing/CMakeLists.txt). Tests that
# need root sit in test suites whose names end in AsRoot and skip for anyone else. Each binary is
# discovered twice, without them and for them alone, so that they can carry the label root
# besides unit; CTest sets that label from a file of its own once it knows their names, as
# gtest_discover_tests passes no list-valued property on.
function(vtutils_register_tests)
  set(root_labels "${CMAKE_CURRENT_BINARY_DIR}/vtutils_root_labels.cmake")
  file(WRITE "${root_labels}" [[
if(vtutils_root_tests)
  set_tests_properties(${vtutils_root_tests} PROPERTIES LABELS "unit;root")
endif()
]])
  # Binary, test name prefix and locale of each run.
  set(runs vtutils_unit_tests "" C.UTF-8)
  set(locales ${VTUTILS_TEST_LOCALES})
  while(locales)
    list(POP_FRONT locales code_page locale)
    list(APPEND runs vtutils_code_page_tests "cp${code_page}." ${locale})
  endwhile()
  while(runs)
    list(POP_FRONT runs target prefix locale)
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      TEST_PREFIX "${prefix}"
      TEST_FILTER "-*AsRoot.*"
      PROPERTIES LABELS unit ENVIRONMENT "LC_ALL=${locale}")
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      TEST_PREFIX "${prefix}"
      TEST_FILTER "*AsRoot.*"
      TEST_LIST vtutils_root_tests
      PROPERTIES ENVIRONMENT "LC_ALL=${locale}")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${root_labels}")
  endwhile()
endfunction()
