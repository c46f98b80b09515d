# Cross-compiling for 64-bit Windows with MinGW-w64 (the POSIX-threads
# variant, which std::thread and std::mutex need), on a Debian host:
#   cmake --preset windows
# The runtime libraries (libgcc, libstdc++, winpthreads) are linked statically,
# so the DLL and the test programs need only the system's own DLLs.  Programs
# built here run through Wine when the build runs them (test discovery, ctest).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QRVP_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QRVP_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QRVP_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QRVP_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${QRVP_MINGW_TRIPLE}-objdump CACHE FILEPATH "objdump for PE files")

set(CMAKE_FIND_ROOT_PATH /usr/${QRVP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC 12 reports a false -Wrestrict inside libstdc++'s string concatenation
# once it inlines at -O2 and above (a known false positive of that release);
# with the warning off the optimised build keeps every other warning an error.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
# The optimised DLL ships without its symbol table (the export table stays).
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")

# Wine runs the test programs: one prefix per build directory (created on first
# use), no debug chatter.  scripts/windows-test.sh keeps one wineserver alive
# for the whole run so each program starts in a fraction of a second.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(QRVP_WINE wine)
  if(QRVP_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= ${QRVP_WINE}
        CACHE STRING "Runs the Windows test programs")
  endif()
endif()
