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

# Registered once every folder has added its sources (see testing/CMakeLists.txt).
function(vtutils_register_tests)
  gtest_discover_tests(vtutils_unit_tests
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS unit ENVIRONMENT "LC_ALL=C.UTF-8")
  set(locales ${VTUTILS_TEST_LOCALES})
  while(locales)
    list(POP_FRONT locales code_page locale)
    gtest_discover_tests(vtutils_code_page_tests
      DISCOVERY_MODE PRE_TEST
      TEST_PREFIX "cp${code_page}."
      PROPERTIES LABELS unit ENVIRONMENT "LC_ALL=${locale}")
  endwhile()
endfunction()
