# CMake package for the pngprobe scanner: find_package(pngprobe) gives the
# imported target pngprobe::png_header (header <pngprobe/png_header.h>).
include("${CMAKE_CURRENT_LIST_DIR}/pngprobeTargets.cmake")
