# 64-bit ARM Linux against musl, static-pie.
set(gnu_triple aarch64-linux-gnu)
set(musl_triple aarch64-linux-musl)
set(qemu_arch aarch64)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
