# Cross build for Windows x64 with Debian's MinGW-w64 (the posix thread
# model: the win32 one has no std::thread). Programs built here run on the
# build machine under Wine, which is also how CTest runs the Windows tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESTROW_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KESTROW_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTROW_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTROW_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${KESTROW_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTROW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything links the GCC and C++ runtimes and winpthreads in, so the
# plug-in and the test programs need no DLL beyond those Windows ships.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Debian's wine64 loader runs 64-bit programs directly; the `wine` wrapper
# looks for a 32-bit loader first and complains when there is none.
find_program(KESTROW_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib/wine64 NO_CMAKE_FIND_ROOT_PATH)
if(KESTROW_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTROW_WINE})
endif()
