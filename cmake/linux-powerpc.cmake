# 32-bit big-endian PowerPC Linux: 32-bit arithmetic and big-endian byte
# order in one target.
set(cross_triple powerpc-linux-gnu)
set(qemu_arch ppc)
set(CMAKE_SYSTEM_PROCESSOR powerpc)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
