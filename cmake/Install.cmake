# Installation: the two libraries, the exported headers of both, a CMake package so that an
# application can find_package(VTUtils CONFIG REQUIRED) and link VTUtils::VTUtils, a pkg-config
# file, and the vtutil program. Three components, which the Debian packages follow: runtime (the
# shared libraries), development (headers, link names, CMake and pkg-config files) and tools.
include(CMakePackageConfigHelpers)

option(VTUTILS_INSTALL_RPATH
  "Give installed programs and libraries a run path relative to their own place, so that a \
prefix install runs without LD_LIBRARY_PATH (distribution packages turn it off)" ON)
if(VTUTILS_INSTALL_RPATH)
  # libVTUtils.so finds libvtplatform.so beside itself; vtutil finds both from its bin folder.
  set_target_properties(VTUtils PROPERTIES INSTALL_RPATH "$ORIGIN")
  if(TARGET vtutil)
    file(RELATIVE_PATH lib_from_bin
      /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
    set_target_properties(vtutil PROPERTIES INSTALL_RPATH "$ORIGIN/${lib_from_bin}")
  endif()
endif()

install(TARGETS vtplatform VTUtils
  EXPORT VTUtilsTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/vtutils compat/include/vtplatform
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  COMPONENT development
  FILES_MATCHING PATTERN "*.h")
if(TARGET vtutil)
  install(TARGETS vtutil RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
endif()

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/VTUtils)
install(EXPORT VTUtilsTargets NAMESPACE VTUtils:: DESTINATION ${config_dir}
  COMPONENT development)
configure_package_config_file(cmake/VTUtilsConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/VTUtilsConfig.cmake
  INSTALL_DESTINATION ${config_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VTUtilsConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/VTUtilsConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/VTUtilsConfigVersion.cmake
  DESTINATION ${config_dir}
  COMPONENT development)

# The pkg-config file finds its prefix from its own place, so it stays right wherever the
# install puts it (cmake --install --prefix chooses the prefix after configuring).
set(pkgconfig_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH VTUTILS_PREFIX_FROM_PKGCONFIG /${pkgconfig_dir} /)
string(REGEX REPLACE "/$" "" VTUTILS_PREFIX_FROM_PKGCONFIG ${VTUTILS_PREFIX_FROM_PKGCONFIG})
configure_file(cmake/vtutils.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vtutils.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vtutils.pc DESTINATION ${pkgconfig_dir}
  COMPONENT development)
