# Cross-compiling for Windows x86-64 with Debian's mingw-w64 (posix threads: std::thread and
# std::mutex need them). Libraries and packages come only from the mingw sysroot and from the prefixes
# given in CMAKE_FIND_ROOT_PATH on the command line (our Qt and the cross-built libraries).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELMARIS_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELMARIS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMARIS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMARIS_MINGW_TRIPLE}-windres)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${VELMARIS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
