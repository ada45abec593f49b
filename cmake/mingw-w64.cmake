# Cross-compiling the standard-library core for 64-bit Windows with Debian's MinGW-w64
# (g++-mingw-w64-x86-64-posix: the POSIX thread model, which std::thread needs), tests run
# under Wine. Used by scripts/windows-check with -DTRACELINK_CORE_ONLY=ON.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRACELINK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRACELINK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRACELINK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TRACELINK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRACELINK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libstdc++, libgcc and winpthread linked in, so that an .exe runs under Wine (or on a
# technician's laptop) without the compiler's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian's wine64 package keeps its 64-bit loader out of PATH.
find_program(TRACELINK_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TRACELINK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TRACELINK_WINE})
endif()
