# 32-bit ARM, hard float Linux against musl, static-pie.
set(gnu_triple arm-linux-gnueabihf)
set(musl_triple arm-linux-musleabihf)
set(qemu_arch arm)
set(CMAKE_SYSTEM_PROCESSOR armv7l)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
