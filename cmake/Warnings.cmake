# Compiler warnings shared by every target of the project.
add_library(vtutils_warnings INTERFACE)
target_compile_options(vtutils_warnings INTERFACE -Wall -Wextra -Wpedantic)
