# Install rules, in two components that packaging/release.sh packs: runtime
# (the tool, manual page, README, licence, sample) and development
# (libpngprobe.a, headers, CMake package and pkg-config file).
include(CMakePackageConfigHelpers)

# The manual page is dated as the release: its entry in CHANGELOG.md.
file(STRINGS CHANGELOG.md pngprobe_release_line
    REGEX "^## \\[${PROJECT_VERSION}\\] - [0-9]+-[0-9]+-[0-9]+" LIMIT_COUNT 1)
string(REGEX REPLACE "^.* - ([0-9-]+).*$" "\\1" PNGPROBE_RELEASE_DATE "${pngprobe_release_line}")
if(NOT PNGPROBE_RELEASE_DATE)
    set(PNGPROBE_RELEASE_DATE "unreleased")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS CHANGELOG.md)
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
# The sample image that the README's first session reads.
install(FILES examples/sample.png DESTINATION ${pngprobe_doc_dir}/examples COMPONENT runtime)

set(pngprobe_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/pngprobe)
install(TARGETS libpngprobe EXPORT pngprobeTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(FILES src/png/png_header.h "${PROJECT_BINARY_DIR}/include/pngprobe_version.h"
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/pngprobe COMPONENT development)
install(EXPORT pngprobeTargets NAMESPACE pngprobe::
    DESTINATION ${pngprobe_cmake_dir} COMPONENT development)
write_basic_package_version_file("${PROJECT_BINARY_DIR}/pngprobeConfigVersion.cmake"
    COMPATIBILITY SameMajorVersion)
install(FILES packaging/pngprobeConfig.cmake
    "${PROJECT_BINARY_DIR}/pngprobeConfigVersion.cmake"
    DESTINATION ${pngprobe_cmake_dir} COMPONENT development)

# The .pc file finds its prefix from where it lies, so the installed tree
# can be moved.
set(pngprobe_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH pngprobe_pc_prefix "/${pngprobe_pc_dir}" "/")
string(REGEX REPLACE "/$" "" pngprobe_pc_prefix "${pngprobe_pc_prefix}")
configure_file(packaging/pngprobe.pc.in "${PROJECT_BINARY_DIR}/pngprobe.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/pngprobe.pc"
    DESTINATION ${pngprobe_pc_dir} COMPONENT development)
