# The unit test binaries. Tests live beside the code they test; each folder adds its *_test.cpp
# files to one of these targets with vtutils_add_tests().
#
#   vtutils_unit_tests    runs under a UTF-8 locale, the default ANSI code page on Linux
#   vtutils_cp1252_tests  runs with LC_ALL=de_DE.CP1252, a legacy single-byte ANSI code page
add_executable(vtutils_unit_tests)
add_executable(vtutils_cp1252_tests)
foreach(target vtutils_unit_tests vtutils_cp1252_tests)
  target_link_libraries(${target} PRIVATE GTest::gtest_main GTest::gmock vtutils_warnings vtutils_testing)
endforeach()
# The allocation test counts ICU's own allocations through ICU's allocator hook.
target_link_libraries(vtutils_unit_tests PRIVATE ICU::uc)

function(vtutils_add_tests target)
  target_sources(${target} PRIVATE ${ARGN})
endfunction()

# Registered once every folder has added its sources (see testing/CMakeLists.txt).
function(vtutils_register_tests)
  gtest_discover_tests(vtutils_unit_tests
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS unit ENVIRONMENT "LC_ALL=C.UTF-8")
  gtest_discover_tests(vtutils_cp1252_tests
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS unit ENVIRONMENT "LC_ALL=de_DE.CP1252")
endfunction()
