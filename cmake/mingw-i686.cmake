# 32-bit x86 Windows, the tool's target platform; tests run under 32-bit Wine,
# natively or under qemu-i386 (wine32.sh).
set(mingw_arch i686)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine32.sh)
