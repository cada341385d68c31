# Installation: the two libraries, the exported headers of both, and a CMake package so that an
# application can find_package(VTUtils CONFIG REQUIRED) and link VTUtils::VTUtils.
include(CMakePackageConfigHelpers)

install(TARGETS vtplatform VTUtils
  EXPORT VTUtilsTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/vtutils compat/include/vtplatform
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/VTUtils)
install(EXPORT VTUtilsTargets NAMESPACE VTUtils:: DESTINATION ${config_dir})
configure_package_config_file(cmake/VTUtilsConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/VTUtilsConfig.cmake
  INSTALL_DESTINATION ${config_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VTUtilsConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/VTUtilsConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/VTUtilsConfigVersion.cmake
  DESTINATION ${config_dir})
