#!/usr/bin/env bash
# Checks a release that packaging/release.sh made, as a user, a packager and
# a security team would: checksums and SHA256SUMS; lintian; what each
# package holds; every executable through the end-to-end suite (Linux ones
# static-pie musl); the .debs installed, used and removed. Builds nothing;
# needs root for the install.
#
#   packaging/check-packages.sh DIST     (the folder release.sh wrote)
set -euo pipefail
if [ $# -ne 1 ] || [ ! -f "$1/SHA256SUMS" ]; then
    echo "usage: check-packages.sh DIST (a folder release.sh wrote)"
    exit 2
fi
dist=$(cd "$1" && pwd)
cd "$(dirname "$0")/.."
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt)
fail() { echo "FAIL: $*"; exit 1; }

echo "== artifacts"
(cd "$dist" && sha256sum -c SHA256SUMS)
# The shipped Linux executables, as cmake/presets.py lists them.
mapfile -t targets < <(python3 cmake/presets.py shipped)
[ ${#targets[@]} -gt 0 ] || fail "CMakePresets.json ships nothing"
# SHA256SUMS lists exactly these, whatever else the folder holds.
release=("pngprobe-dev_${version}_amd64.deb" "pngprobe-$version-windows-x86.zip"
         "pngprobe-$version.tar.gz" "pngprobe_${version}_toolchain.buildinfo")
for t in "${targets[@]}"; do
    IFS=: read -r _ arch cpu _ <<< "$t"
    release+=("pngprobe_${version}_$arch.deb" "pngprobe-$version-linux-$cpu.tar.gz")
done
listed=$(awk '{ print $2 }' "$dist/SHA256SUMS" | sort)
[ "$listed" = "$(printf '%s\n' "${release[@]}" | sort)" ] ||
    fail "SHA256SUMS lists other files than the release's: $(diff <(printf '%s\n' "${release[@]}" | sort) <(echo "$listed"))"
echo "SHA256SUMS lists exactly the ${#release[@]} artifacts"

# The toolchain record names every build's compiler and linker by package.
buildinfo=$dist/pngprobe_${version}_toolchain.buildinfo
for preset in "${targets[@]%%:*}" release windows-x86; do
    [ "$(grep -c "^ $preset: .*(= .*)\$" "$buildinfo")" -eq 2 ] \
        || fail "the toolchain record lacks $preset's compiler or linker: $(cat "$buildinfo")"
done
grep -q '^ musl-dev:arm64 (= ' "$buildinfo" || fail "the toolchain record lacks musl"

echo "== lintian"
for deb in "${release[@]/#/$dist/}"; do
    [[ $deb == *.deb ]] || continue
    lintian --fail-on error,warning "$deb" 2> /dev/null || fail "lintian on $deb"
    echo "$(basename "$deb"): no error, no warning"
done

# has DEB FILE...: the package holds every FILE.
has() {
    local deb=$1 contents
    shift
    contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
    for f in "$@"; do
        grep -qx "./$f" <<< "$contents" || fail "$(basename "$deb") lacks $f"
    done
}
docs=(usr/share/doc/pngprobe/README.md usr/share/doc/pngprobe/copyright
      usr/share/doc/pngprobe/changelog.gz usr/share/doc/pngprobe/examples/sample.png
      usr/share/man/man1/pngprobe.1.gz usr/share/lintian/overrides/pngprobe)
for target in "${targets[@]}"; do
    IFS=: read -r _ arch _ _ <<< "$target"
    deb=$dist/pngprobe_${version}_$arch.deb
    has "$deb" usr/bin/pngprobe "${docs[@]}"
    dpkg-deb -c "$deb" | grep -q include/ && fail "$deb holds development files"
    [ "$(dpkg-deb -f "$deb" Package Version Architecture Section)" = \
      "Package: pngprobe
Version: $version
Architecture: $arch
Section: graphics" ] || fail "$deb metadata"
    [ -z "$(dpkg-deb -f "$deb" Depends)" ] || fail "$deb has dependencies"
    [ "$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/doc/pngprobe/changelog.gz | gzip -dc | head -n 1)" = \
      "pngprobe ($version) unstable; urgency=medium" ] || fail "$deb: the changelog's top entry is not $version"
done
dev=$dist/pngprobe-dev_${version}_amd64.deb
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
has "$dev" usr/include/pngprobe/png_header.h usr/include/pngprobe/pngprobe_version.h \
    "usr/lib/$multiarch/libpngprobe.a" \
    "usr/lib/$multiarch/cmake/pngprobe/pngprobeConfig.cmake" \
    "usr/lib/$multiarch/pkgconfig/pngprobe.pc" usr/share/doc/pngprobe-dev/copyright
[ "$(dpkg-deb -f "$dev" Section)" = libdevel ] || fail "pngprobe-dev section"

echo "== executables"
unpacked=build/package-check
rm -rf "$unpacked" && mkdir -p "$unpacked/zip"
c++ -O2 -o "$unpacked/run_without_argv" tests/run_without_argv.cpp
for target in "${targets[@]}"; do
    IFS=: read -r _ arch cpu qemu <<< "$target"
    mkdir -p "$unpacked/$arch"
    dpkg-deb -x "$dist/pngprobe_${version}_$arch.deb" "$unpacked/$arch"
    tar -xzf "$dist/pngprobe-$version-linux-$cpu.tar.gz" -C "$unpacked/$arch"
    portable=$unpacked/$arch/pngprobe-$version-linux-$cpu
    [ "$(cd "$portable" && find . -type f | sort | tr '\n' ' ')" = \
      "./LICENSE ./README.md ./examples/sample.png ./pngprobe ./pngprobe.1 " ] \
        || fail "$cpu archive holds: $(cd "$portable" && find . -type f)"
    exe=$unpacked/$arch/usr/bin/pngprobe
    cmp -s "$exe" "$portable/pngprobe" || fail "the $arch .deb and the $cpu archive differ"
    # Static-pie against musl: loaded at a random address (ELF type DYN),
    # no interpreter and no shared library, full RELRO, no glibc in it.
    elf=$(bash tests/elf_checks.sh "$exe" pie static relro no-glibc) || fail "$arch: $elf"
    size=$(stat -c %s "$exe")
    [ "$size" -lt 100000 ] || fail "the $arch executable is $size bytes; every shipped one is under 100 KB"
    # i386 runs natively where the kernel can: the usage line's status 1
    # comes back, not the shell's 126.
    rc=0
    [ "$arch" != i386 ] || "$exe" > /dev/null 2>&1 || rc=$?
    [ "$rc" -ne 1 ] || qemu=""
    # Held to the system calls of a bare read too (where it runs natively,
    # with the helper for the argc-0 case).
    runner=()
    [ -z "$qemu" ] && runner=(--no-argv-runner="$unpacked/run_without_argv")
    # shellcheck disable=SC2086  # no emulator is no word
    bash tests/e2e.sh --syscalls=floor "${runner[@]}" "$exe" posix $qemu > "$unpacked/$arch.e2e" || { cat "$unpacked/$arch.e2e"; fail "$arch: end-to-end suite"; }
    echo "$arch (static-pie musl, $size bytes): $(tail -n 1 "$unpacked/$arch.e2e")${qemu:+ under $qemu}"
done

# The ZIP users download: its pngprobe.exe passes the end-to-end suite
# under 32-bit Wine, natively or under qemu-i386 as the tests run it, on
# every machine: a skip fails.
zip=$dist/pngprobe-$version-windows-x86.zip
[ "$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')" = "LICENSE README.md examples/sample.png pngprobe.exe " ] \
    || fail "ZIP holds: $(cmake -E tar tf "$zip")"
(cd "$unpacked/zip" && cmake -E tar xf "$zip")
file "$unpacked/zip/pngprobe.exe" | grep -q 'PE32 executable (console) Intel 80386' \
    || fail "$(file "$unpacked/zip/pngprobe.exe")"
export WINEPREFIX=$PWD/$unpacked/wineprefix WINEARCH=win32
rc=0
timeout 300 cmake/wine32.sh wineboot --init < /dev/null > "$unpacked/wineboot.log" 2>&1 || rc=$?
[ "$rc" -ne 0 ] || bash tests/e2e.sh "$unpacked/zip/pngprobe.exe" windows "$PWD/cmake/wine32.sh" > "$unpacked/zip.e2e" || rc=$?
cmake/wine32.sh --kill-server 2> /dev/null || true
[ "$rc" -eq 0 ] || { cat "$unpacked/wineboot.log" "$unpacked/zip.e2e"; fail "ZIP: pngprobe.exe, end-to-end suite (status $rc)"; }
echo "ZIP: pngprobe.exe: $(tail -n 1 "$unpacked/zip.e2e") under 32-bit Wine, $(cmake/wine32.sh --how)"

echo "== install and use"
apt-get install -y -q "$dist/pngprobe_${version}_amd64.deb" "$dist/pngprobe-dev_${version}_amd64.deb" > /dev/null
[ "$(command -v pngprobe)" = /usr/bin/pngprobe ] || fail "pngprobe is not on PATH"
pngprobe /usr/share/doc/pngprobe/examples/sample.png | grep -qx 'bit_depth: 8, color_type: 2' ||
    fail "installed pngprobe on the installed sample"
[ "$(man -w pngprobe)" = /usr/share/man/man1/pngprobe.1.gz ] || fail "man -w: $(man -w pngprobe)"
man pngprobe 2> /dev/null | grep -q 'report the width, height' || fail "man pngprobe"
grep -q "pngprobe $version" < <(man pngprobe 2> /dev/null) || fail "manual page version"
bash tests/consumer/check.sh /usr "$version"
apt-get remove -y -q pngprobe pngprobe-dev > /dev/null
[ ! -e /usr/bin/pngprobe ] || fail "pngprobe left behind"
echo "packages: ok"
