# The installable package: `cmake --install` of the Windows build gives what
# another mingw-w64 CMake project needs to carry the crash reporter
# (find_package(TarvexLog CONFIG)); `cmake --install` of the host build adds
# the host tool that embeds the crash reporter data after link.
#
#   <prefix>/include/crashreport/..., rtl/..., gui/...   the headers
#   <prefix>/lib/lib*.a                                    the static libraries
#   <prefix>/lib/tarvexlog/<object library>/*              objects every program links
#   <prefix>/lib/cmake/TarvexLog/                          the package's CMake files
#   <prefix>/bin/tarvex                                    the host tool (host build)
include_guard(GLOBAL)
include(CMakePackageConfigHelpers)

if(NOT VX_WINDOWS)
  install(TARGETS tarvex RUNTIME DESTINATION bin)
  return()
endif()

set(package_dir lib/cmake/TarvexLog)
install(DIRECTORY crashreport/ DESTINATION include/crashreport FILES_MATCHING PATTERN "*.h")
install(DIRECTORY runtime/rtl runtime/gui DESTINATION include FILES_MATCHING PATTERN "*.h")
install(TARGETS rtl rtl_gui minizip tarvex_core tarvexlog tarvexlog_program tarvexlog_autostart
  EXPORT TarvexLogTargets
  ARCHIVE DESTINATION lib)
install(EXPORT TarvexLogTargets NAMESPACE TarvexLog:: DESTINATION ${package_dir})
configure_package_config_file(cmake/TarvexLogConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/TarvexLogConfig.cmake
  INSTALL_DESTINATION ${package_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/TarvexLogConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/TarvexLogConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/TarvexLogConfigVersion.cmake
              cmake/TarvexLogEmbed.cmake
  DESTINATION ${package_dir})
