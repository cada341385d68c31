# Every exported header compiles on its own: one generated translation unit per header of
# include/ and compat/include/, each including its header twice (so a missing include guard
# shows too), built as the object library vtutils_header_check with the include directories and
# definitions that an application of the library sees.
add_library(vtutils_header_check OBJECT)
target_link_libraries(vtutils_header_check PRIVATE VTUtils vtutils_warnings)

foreach(root include compat/include)
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/${root}
    ${PROJECT_SOURCE_DIR}/${root}/*.h)
  foreach(header ${headers})
    set(unit ${PROJECT_BINARY_DIR}/header_check/${header}.cpp)
    file(CONFIGURE OUTPUT ${unit} CONTENT "#include \"${header}\"\n#include \"${header}\"\n")
    target_sources(vtutils_header_check PRIVATE ${unit})
  endforeach()
endforeach()
