# Cross-building the Windows programs on Debian with the MinGW-w64 compilers
# (package g++-mingw-w64-x86-64-posix: the POSIX thread model, which
# std::thread needs).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KINPATH_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KINPATH_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KINPATH_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KINPATH_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KINPATH_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No DLLs beyond Windows' own: the C++ runtime and the thread library are
# linked into each program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
