# Crash reporter data in the Windows build's modules.
#
#   vx_embed_data(TARGET OPTIONS <file> [KEY <text>])
#   vx_tarvex_output(<output> ARGS <tarvex arguments>... [DEPENDS <file>...])
#
# vx_embed_data is the package's tarvexlog_embed_data (TarvexLogEmbed.cmake:
# what happens after each link, and the data key) with this tree's own host
# tool.
#
# The host tool: `tarvex` is a build of the host configuration (native
# compiler, LLVM's DWARF reader). The Windows build brings the host build
# of this source tree (build/host, the "host" preset) up to date for the
# tarvex target on every build, configuring it first when it does not
# exist, so it never relies on an earlier host build having run.
include_guard(GLOBAL)
include(ExternalProject)
include(${CMAKE_CURRENT_LIST_DIR}/TarvexLogEmbed.cmake)

set(VX_HOST_BUILD_DIR ${PROJECT_SOURCE_DIR}/build/host)
set(VX_HOST_TARVEX ${VX_HOST_BUILD_DIR}/tools/tarvex)

ExternalProject_Add(vx_host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${VX_HOST_BUILD_DIR}
  CONFIGURE_COMMAND ""
  BUILD_COMMAND ${CMAKE_COMMAND} -D SOURCE_DIR=${PROJECT_SOURCE_DIR} -D BINARY_DIR=${VX_HOST_BUILD_DIR}
                -P ${CMAKE_CURRENT_LIST_DIR}/VxHostTools.cmake
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${VX_HOST_TARVEX}
  INSTALL_COMMAND "")

function(vx_embed_data target)
  tarvexlog_embed_data(${target} ${ARGN} TOOL ${VX_HOST_TARVEX})
  add_dependencies(${target} vx_host_tools)
endfunction()

# A file that the host tool writes at build time (`tarvex ARGS...`), e.g. a
# bare container for a VXDATA resource or an encoded option stream.
function(vx_tarvex_output output)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "ARGS;DEPENDS")
  add_custom_command(OUTPUT ${output}
    COMMAND ${VX_HOST_TARVEX} ${ARG_ARGS}
    DEPENDS ${ARG_DEPENDS} ${VX_HOST_TARVEX} vx_host_tools
    VERBATIM)
endfunction()
