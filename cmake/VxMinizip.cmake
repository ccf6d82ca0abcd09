# minizip, the zip writer from zlib's contribution tree, as the target
# `minizip` (its header as <minizip/zip.h>), compiled in both builds from
# Debian's zlib source package. The package is unpacked into build/zlib-source
# (shared by the presets) at configure time by scripts/fetch-zlib-source.sh
# (once; never committed).
# Debian packages minizip for the host only, and its libminizip 1.1 reads
# zlib's 32-bit CRC table as 64-bit entries on amd64, which garbles every
# password-encrypted entry; this copy has neither problem.
set(VX_ZLIB_SOURCE ${PROJECT_SOURCE_DIR}/build/zlib-source CACHE PATH "Debian's zlib source package, unpacked")
execute_process(
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-zlib-source.sh ${VX_ZLIB_SOURCE}
  RESULT_VARIABLE fetch_result)
if(NOT fetch_result EQUAL 0)
  message(FATAL_ERROR "cannot unpack Debian's zlib source package into ${VX_ZLIB_SOURCE}")
endif()

set(minizip_dir ${VX_ZLIB_SOURCE}/contrib/minizip)
add_library(minizip STATIC ${minizip_dir}/zip.c ${minizip_dir}/ioapi.c)
# <minizip/zip.h>; the sources include their neighbours by bare name.
target_include_directories(minizip SYSTEM PUBLIC $<BUILD_INTERFACE:${VX_ZLIB_SOURCE}/contrib>)
target_include_directories(minizip PRIVATE ${minizip_dir})
target_compile_options(minizip PRIVATE -w)
target_link_libraries(minizip PUBLIC ZLIB::ZLIB)

# The reading half, for the tests that open what the writer made (the host
# build's round-trip fuzzer, the Windows delivery tests).
add_library(minizip_reader STATIC ${minizip_dir}/unzip.c)
target_include_directories(minizip_reader PRIVATE ${minizip_dir})
target_compile_options(minizip_reader PRIVATE -w)
target_link_libraries(minizip_reader PUBLIC minizip)
