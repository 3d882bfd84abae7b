# 32-bit x86 Linux against musl, static-pie.
set(gnu_triple i686-linux-gnu)
set(musl_triple i386-linux-musl)
set(qemu_arch i386)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
