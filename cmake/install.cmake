# Install rules and packages.
#   runtime: the tool, its manual page, README and licence (the .deb, the ZIP)
#   development: the scanner library, its header and a CMake package, so that
#     find_package(pngprobe) gives pngprobe::png_header
include(CMakePackageConfigHelpers)

configure_file(man/pngprobe.1.in "${PROJECT_BINARY_DIR}/pngprobe.1" @ONLY)

if(WIN32)
    # A flat archive: pngprobe.exe beside its README and licence.
    set(pngprobe_bin_dir .)
    set(pngprobe_doc_dir .)
else()
    set(pngprobe_bin_dir ${CMAKE_INSTALL_BINDIR})
    set(pngprobe_doc_dir ${CMAKE_INSTALL_DOCDIR})
    install(FILES "${PROJECT_BINARY_DIR}/pngprobe.1"
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
endif()
install(TARGETS pngprobe RUNTIME DESTINATION ${pngprobe_bin_dir} COMPONENT runtime)
install(FILES README.md LICENSE DESTINATION ${pngprobe_doc_dir} COMPONENT runtime)

set(pngprobe_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/pngprobe)
install(TARGETS png_header EXPORT pngprobeTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(FILES src/png/png_header.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/pngprobe COMPONENT development)
install(EXPORT pngprobeTargets NAMESPACE pngprobe::
    DESTINATION ${pngprobe_cmake_dir} COMPONENT development)
write_basic_package_version_file("${PROJECT_BINARY_DIR}/pngprobeConfigVersion.cmake"
    COMPATIBILITY SameMajorVersion)
install(FILES packaging/pngprobeConfig.cmake
    "${PROJECT_BINARY_DIR}/pngprobeConfigVersion.cmake"
    DESTINATION ${pngprobe_cmake_dir} COMPONENT development)

# Packages hold the runtime component only: `cpack -G DEB` on Linux,
# `cpack -G ZIP` in the windows-x86 build.
set(CPACK_PACKAGE_NAME pngprobe)
set(CPACK_PACKAGE_VENDOR "The pngprobe developers")
set(CPACK_PACKAGE_CONTACT "The pngprobe developers <dev@pngprobe.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_COMPONENTS_ALL runtime)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "pngprobe reads at most the first 1000000 bytes of a file, prints how many
bytes it read, checks the PNG signature, walks the chunks to the first whole
IHDR chunk and prints the image's width, height, bit depth and colour type,
or invalid png. It never reads past the bytes it has and never loops on a
crafted chunk length, so it is safe to point at any file. The executable is
linked statically and depends on no other package.")
# A static executable needs no shared libraries, hence no Depends line.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
if(WIN32)
    set(CPACK_SYSTEM_NAME windows-${CMAKE_SYSTEM_PROCESSOR})
endif()
include(CPack)
