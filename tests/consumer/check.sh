#!/usr/bin/env bash
# Builds and runs the consumer program against an installed pngprobe-dev,
# both ways a project outside can ask for it: CMake's find_package and
# pkg-config. The consumer defines its own read_be32 and find_image_header
# beside the library's.
#   check.sh PREFIX VERSION   (the installed tree, /usr for the package; the
#                              version it must report)
set -eu
prefix=$1 version=$2
want="640x480 8 2 $version"
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S "$here" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$work/cmake" > /dev/null
out=$("$work/cmake/consumer")
[ "$out" = "$want" ] || { echo "consumer (find_package) printed: $out"; exit 1; }

pc_path=$(find "$prefix" -path '*/pkgconfig/pngprobe.pc' -printf '%h:' 2> /dev/null)
flags=$(PKG_CONFIG_PATH=$pc_path pkg-config --cflags --libs pngprobe)
# shellcheck disable=SC2086  # the flags are words
c++ -std=c++17 -o "$work/consumer-pc" "$here/consumer.cpp" $flags
out=$("$work/consumer-pc")
[ "$out" = "$want" ] || { echo "consumer (pkg-config) printed: $out"; exit 1; }
echo "consumer through find_package and pkg-config ($flags): ok"
