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

# Header-only libraries from the build machine's packages (CLI11 of
# libcli11-dev): their own folders, linked into one folder of the build, as
# /usr/include whole holds the build machine's C headers, not Windows'.
set(KINPATH_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
foreach(folder CLI)
  if(EXISTS /usr/include/${folder} AND NOT EXISTS ${KINPATH_HOST_HEADERS}/${folder})
    file(MAKE_DIRECTORY ${KINPATH_HOST_HEADERS})
    file(CREATE_LINK /usr/include/${folder} ${KINPATH_HOST_HEADERS}/${folder} SYMBOLIC)
  endif()
endforeach()
