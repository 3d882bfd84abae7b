# Cross build for Windows with MinGW-w64; included by mingw-<arch>.cmake,
# which sets mingw_arch and CMAKE_SYSTEM_PROCESSOR. The -posix compilers
# give GoogleTest the threads it expects.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${mingw_arch}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_arch}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_arch}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_arch}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
