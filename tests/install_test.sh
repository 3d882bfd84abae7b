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
for f in bin/pngprobe share/man/man1/pngprobe.1 share/doc/pngprobe/README.md \
         share/doc/pngprobe/LICENSE include/pngprobe/png_header.h include/pngprobe/pngprobe_version.h \
         lib/cmake/pngprobe/pngprobeConfig.cmake lib/pkgconfig/pngprobe.pc; do
    [ -e "$work/prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
ls "$work"/prefix/lib*/libpngprobe.a > /dev/null
"$work/prefix/bin/pngprobe" "$source/examples/sample.png" | grep -qx 'width: 64 px, height: 48 px'
bash "$source/tests/consumer/check.sh" "$work/prefix" "$version"
echo "installed tree: ok"
