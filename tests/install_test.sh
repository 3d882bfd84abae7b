#!/usr/bin/env bash
# Installs the build tree into a scratch prefix, checks the files a user and
# a developer get, then builds and runs a program against the installed
# CMake package and pkg-config file.
#   install_test.sh BUILD_DIR SOURCE_DIR VERSION
set -eu
build=$1 source=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" > /dev/null
# Exactly the files the README names, the library's folder (lib or
# lib/<multiarch>) written as LIB, the build type in a file name as CONFIG.
installed=$(cd "$work/prefix" && find . -type f | sed 's|^\./||; s|^lib\(/[a-z0-9_-]*-linux-[a-z0-9_]*\)\{0,1\}/|LIB/|; s|Targets-[a-z]*\.cmake$|Targets-CONFIG.cmake|' | sort)
expected=$(sort <<'LIST'
bin/pngprobe
share/man/man1/pngprobe.1
share/doc/pngprobe/README.md
share/doc/pngprobe/LICENSE
share/doc/pngprobe/examples/sample.png
include/pngprobe/png_header.h
include/pngprobe/pngprobe_version.h
LIB/libpngprobe.a
LIB/cmake/pngprobe/pngprobeConfig.cmake
LIB/cmake/pngprobe/pngprobeConfigVersion.cmake
LIB/cmake/pngprobe/pngprobeTargets.cmake
LIB/cmake/pngprobe/pngprobeTargets-CONFIG.cmake
LIB/pkgconfig/pngprobe.pc
LIST
)
if [ "$installed" != "$expected" ]; then
    echo "installed files differ from those the README names:"
    diff <(echo "$expected") <(echo "$installed")
    exit 1
fi
"$work/prefix/bin/pngprobe" "$source/examples/sample.png" | grep -qx 'width: 64 px, height: 48 px'
bash "$source/tests/consumer/check.sh" "$work/prefix" "$version"
echo "installed tree: ok"
