# 32-bit x86 Linux.
set(cross_triple i686-linux-gnu)
set(qemu_arch i386)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
