# Test helpers shared by every test folder.
#
#   vx_add_gtest(NAME SOURCES src... [LIBS lib...] [LABEL label] [DESKTOP]
#                [WRAPPER command...])
#
# Builds a GoogleTest executable and registers each of its tests with ctest.
# In the Windows build the executable runs under Wine through the toolchain's
# emulator; tests are listed when ctest runs, not at build time, so a build
# never waits on Wine. DESKTOP marks tests that use the one screen, pointer
# and keyboard focus of the display: they never run at the same time as each
# other, whatever ctest's -j. WRAPPER runs every start of the executable
# (listing its tests included) through a command that is given the usual
# command line, e.g. one that starts the test's peers around it.
enable_testing()
include(GoogleTest)

if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

function(vx_add_gtest name)
  cmake_parse_arguments(ARG "DESKTOP" "LABEL" "SOURCES;LIBS;WRAPPER" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_WRAPPER)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${ARG_WRAPPER};${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest gtest_main)
  # One label per test (the discovery script would split a list of them);
  # tests without a label of their own get the build's: "host" or "windows".
  if(ARG_LABEL)
    set(label ${ARG_LABEL})
  elseif(VX_WINDOWS)
    set(label windows)
  else()
    set(label host)
  endif()
  set(properties LABELS ${label} TIMEOUT 300)
  if(ARG_DESKTOP)
    list(APPEND properties RESOURCE_LOCK desktop)
  endif()
  # Generous limits: under qemu-user a Windows program starts 3-5 times slower,
  # and the oracle tests run long on a loaded machine.
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 300
    PROPERTIES ${properties})
endfunction()
