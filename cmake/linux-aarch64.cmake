# 64-bit ARM Linux.
set(cross_triple aarch64-linux-gnu)
set(qemu_arch aarch64)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
