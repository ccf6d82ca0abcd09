# Cross toolchain: 32-bit Windows (PE32) with mingw-w64, posix thread model.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(VX_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${VX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${VX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained modules that run on a bare Windows or Wine: executables and
# libraries alike carry their C and C++ runtime, so no module imports
# libgcc_s_dw2-1.dll, libstdc++-6.dll or libwinpthread-1.dll.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(ZLIB_USE_STATIC_LIBS ON)

# Windows executables built by this project run through Wine (tests, discovery).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine.sh)
