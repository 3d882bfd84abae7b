#!/usr/bin/env bash
# Builds the tool as a distribution does, from the sources with the
# toolchain's own linking and the distribution's flags in CXXFLAGS and
# LDFLAGS (Debian 12's dpkg-buildflags, fixed here so that the test needs
# no dpkg-dev), and fails unless the executable carries them: full RELRO
# with BIND_NOW, and the stack protector (__stack_chk_fail, which main's
# line buffer brings in). Fortified calls are left out: clang fortifies
# fewer of them than gcc.
#   distribution_build_test.sh SOURCE_DIR CXX_COMPILER
set -u
source=$1 compiler=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export CXXFLAGS="-g -O2 -fstack-protector-strong -Wformat -Werror=format-security -D_FORTIFY_SOURCE=2"
export LDFLAGS="-Wl,-z,relro -Wl,-z,now"
if ! { cmake -S "$source" -B "$work/build" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_COMPILER="$compiler" \
        -DPNGPROBE_BUILD_TESTS=OFF && cmake --build "$work/build" --target pngprobe; } > "$work/log" 2>&1; then
    cat "$work/log"
    exit 1
fi
exe=$work/build/pngprobe
bash "$(dirname "$0")/elf_checks.sh" "$exe" relro ssp || exit 1
"$exe" "$source/examples/sample.png" | grep -qx 'width: 64 px, height: 48 px' || { echo "the executable does not work"; exit 1; }
