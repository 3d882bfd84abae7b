# Linux against musl, static-pie: what Linux users install. Included by
# linux-musl-<arch>.cmake, which sets gnu_triple (the compiler's),
# musl_triple (musl-dev's folder), qemu_arch and CMAKE_SYSTEM_PROCESSOR.
# Debian's musl-gcc driver file links -static-pie as a dynamic executable,
# so the one made here from gcc-musl-static-pie.in starts from musl's
# self-relocating rcrt1.o and links -static -pie --no-dynamic-linker, full
# RELRO: the kernel loads it at a random address. The tool uses only the C
# library, so g++ builds it with no C++ runtime; GoogleTest needs libstdc++,
# which Debian has for glibc alone, so only the end-to-end tests run here.
set(CMAKE_SYSTEM_NAME Linux)
if(gnu_triple)
    set(CMAKE_C_COMPILER ${gnu_triple}-gcc)
    set(CMAKE_CXX_COMPILER ${gnu_triple}-g++)
    set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-${qemu_arch}-static)
else()
    set(CMAKE_C_COMPILER gcc)
    set(CMAKE_CXX_COMPILER g++)
endif()
set(gcc_driver_file "${CMAKE_BINARY_DIR}/gcc-musl-static-pie")
configure_file(${CMAKE_CURRENT_LIST_DIR}/gcc-musl-static-pie.in "${gcc_driver_file}" @ONLY)
# The driver file's path is the build folder's, which may hold spaces or
# anything else a shell splits or expands ($, quotes, &): not in a flags
# string, which is split at spaces. A compile option is quoted by CMake; a
# link option would have its '$' doubled for make although make never sees
# the link line, so the link rule names the file itself, quoted as the line
# is parsed (as sh parses it).
add_compile_options("-specs=${gcc_driver_file}" -fPIE)
string(REPLACE "'" "'\\''" quoted_driver_file "${gcc_driver_file}")
foreach(lang IN ITEMS C CXX)
    set(CMAKE_${lang}_LINK_EXECUTABLE "<CMAKE_${lang}_COMPILER> <FLAGS> <CMAKE_${lang}_LINK_FLAGS> <LINK_FLAGS> '-specs=${quoted_driver_file}' <OBJECTS> -o <TARGET> <LINK_LIBRARIES>")
endforeach()
set(CMAKE_FIND_ROOT_PATH /usr/lib/${musl_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(PNGPROBE_UNIT_TESTS OFF CACHE BOOL "GoogleTest needs libstdc++")
# The end-to-end tests hold a musl build to the system calls of a bare read.
set(PNGPROBE_LIBC musl)
