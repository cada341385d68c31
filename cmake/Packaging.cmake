# Debian packages of the three install components, made by `cpack -G DEB` in a build configured
# for /usr (scripts/package does both):
#   libvtutils1     the shared libraries, named by their SONAME version as Debian names them
#   libvtutils-dev  headers, link names, the CMake package and the pkg-config file
#   vtutil          the command-line program
# dpkg-shlibdeps finds what the libraries and the program need from Debian; the packages of the
# project depend on each other by exact version.
set(CPACK_PACKAGE_NAME vtutils)
set(CPACK_PACKAGE_VENDOR "VTUtils developers")
set(CPACK_PACKAGE_CONTACT "VTUtils developers <vtutils@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "utility library of the inspection and measurement applications")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_COMPONENTS_ALL runtime development tools)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# vtutil needs the project's own libraries, which no installed package provides yet: they are
# looked up in the build tree, and the dependency on their package comes from the components.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
  ${PROJECT_BINARY_DIR}/src ${PROJECT_BINARY_DIR}/compat)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libvtutils${PROJECT_VERSION_MAJOR})
# The runtime package tells dpkg-shlibdeps which package provides its libraries.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libvtutils-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME vtutil)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)

include(CPack)
cpack_add_component(runtime DISPLAY_NAME "VTUtils libraries"
  DESCRIPTION "libVTUtils.so and its platform layer libvtplatform.so")
cpack_add_component(development DISPLAY_NAME "VTUtils development files" DEPENDS runtime
  DESCRIPTION "Headers, link names, the CMake package and the pkg-config file")
cpack_add_component(tools DISPLAY_NAME "vtutil" DEPENDS runtime
  DESCRIPTION "The command-line program of VTUtils, with a tour of the library")
