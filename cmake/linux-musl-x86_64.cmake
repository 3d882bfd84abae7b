# 64-bit x86 Linux against musl, static-pie.
set(musl_triple x86_64-linux-musl)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
