# 32-bit x86 Windows, the tool's target platform.
set(mingw_arch i686)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
