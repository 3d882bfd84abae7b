# CMake package for the pngprobe scanner: find_package(pngprobe) gives the
# imported target pngprobe::pngprobe (libpngprobe.a, header
# <pngprobe/png_header.h>, names in namespace pngprobe).
include("${CMAKE_CURRENT_LIST_DIR}/pngprobeTargets.cmake")
