#!/usr/bin/env bash
# Builds every release artifact into one folder, with a SHA256SUMS file:
#
#   pngprobe_VERSION_amd64.deb          the tool (static, musl), manual, docs
#   pngprobe_VERSION_arm64.deb          the same for 64-bit ARM
#   pngprobe-dev_VERSION_amd64.deb      header, static library, CMake and
#                                       pkg-config files
#   pngprobe-VERSION-linux-x86_64.tar.gz  the musl executable, manual page,
#                                       README and licence, for any distribution
#   pngprobe-VERSION-windows-x86.zip    pngprobe.exe, README and licence
#   pngprobe-VERSION.tar.gz             the sources of the last commit
#
#   packaging/release.sh [OUTDIR]       (default build/dist)
#
# The artifacts are reproducible: every time stamp is the last commit's
# (SOURCE_DATE_EPOCH), file order, owners and modes are fixed, and the
# builds leave no build paths or link times in the executables, so two
# clones built anywhere at any time give the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
out=$(mkdir -p "${1:-build/dist}" && cd "${1:-build/dist}" && pwd)
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC LC_ALL=C
umask 022
work=$source_dir/build/release-work
rm -rf "$work"
mkdir -p "$work"
# Only what an earlier release left: OUTDIR may hold other files.
rm -f "$out"/*.deb "$out"/*.tar.gz "$out"/*.zip "$out/SHA256SUMS"

# build PRESET: a release build without tests, for /usr.
build() {
    cmake --preset "$1" -B "$work/$1" -DPNGPROBE_BUILD_TESTS=OFF \
        -DCMAKE_INSTALL_PREFIX=/usr > /dev/null
    cmake --build "$work/$1" > /dev/null
}
# stage PRESET COMPONENT DIR: installs, stripped, under DIR.
stage() {
    DESTDIR=$3 cmake --install "$work/$1" --component "$2" --strip > /dev/null
}
# Every file in a tree at the commit's time, with the usual modes.
normalise() {
    find "$1" -type d -exec chmod 0755 {} +
    find "$1" -type f -exec chmod 0644 {} +
    [ -d "$1/usr/bin" ] && chmod 0755 "$1"/usr/bin/*
    find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# deb NAME ARCH SECTION TREE DESCRIPTION...: a binary package of TREE.
deb() {
    local name=$1 arch=$2 section=$3 tree=$4
    shift 4
    local doc=$tree/usr/share/doc/$name
    mkdir -p "$doc" "$tree/DEBIAN"
    rm -f "$doc/LICENSE"  # the copyright file carries it
    cp packaging/debian/copyright "$doc/copyright"
    gzip -9nc packaging/debian/changelog > "$doc/changelog.gz"
    if [ -f "packaging/debian/$name.lintian-overrides" ]; then
        mkdir -p "$tree/usr/share/lintian/overrides"
        cp "packaging/debian/$name.lintian-overrides" "$tree/usr/share/lintian/overrides/$name"
    fi
    normalise "$tree"
    (cd "$tree" && find usr -type f | sort | xargs md5sum) > "$tree/DEBIAN/md5sums"
    {
        echo "Package: $name"
        echo "Version: $version"
        echo "Architecture: $arch"
        echo "Maintainer: The pngprobe developers <dev@pngprobe.invalid>"
        echo "Installed-Size: $(du -sk --exclude=DEBIAN "$tree" | cut -f1)"
        echo "Section: $section"
        echo "Priority: optional"
        printf '%s\n' "$@"
    } > "$tree/DEBIAN/control"
    chmod 0644 "$tree/DEBIAN/control" "$tree/DEBIAN/md5sums"
    touch -d "@$SOURCE_DATE_EPOCH" "$tree/DEBIAN" "$tree/DEBIAN"/*
    dpkg-deb --root-owner-group -Zxz --build "$tree" "$out/${name}_${version}_$arch.deb" > /dev/null
}

tool_description=(
    "Description: report the width, height, bit depth and colour type of a PNG"
    " pngprobe reads at most the first 1000000 bytes of a file, prints how many"
    " bytes it read, checks the PNG signature, walks the chunks to the first"
    " whole IHDR chunk and prints the image's width, height, bit depth and"
    " colour type, or \"invalid png\". It never reads past the bytes it has and"
    " never loops on a crafted chunk length, so it is safe to point at any file."
    " The executable is linked statically and depends on no other package.")

build linux-musl
build linux-arm64
build release
build windows-x86

# The tool, for x86-64 (musl) and arm64; man page compressed as Debian wants.
for pair in linux-musl:amd64 linux-arm64:arm64; do
    preset=${pair%%:*} arch=${pair##*:}
    tree=$work/deb-$arch
    stage "$preset" runtime "$tree"
    gzip -9n "$tree/usr/share/man/man1/pngprobe.1"
    deb pngprobe "$arch" graphics "$tree" "${tool_description[@]}"
done

# The scanner for developers, from the glibc build.
tree=$work/deb-dev
stage release development "$tree"
deb pngprobe-dev amd64 libdevel "$tree" \
    "Description: PNG signature check and IHDR scan (static library)" \
    " The scanner of pngprobe as a static C++ library: find_image_header()" \
    " checks the PNG signature and walks the chunks of a byte range to the" \
    " first whole IHDR chunk. Header <pngprobe/png_header.h>, a CMake package" \
    " (find_package(pngprobe), target pngprobe::png_header) and a pkg-config" \
    " file (pkg-config --cflags --libs pngprobe)."

# archive NAME DIR FORMAT: DIR's files under NAME/ (tar.gz) or flat (zip).
archive() {
    python3 - "$@" <<'PY'
import gzip, io, os, sys, tarfile, time, zipfile
name, folder, fmt = sys.argv[1:4]
epoch = int(os.environ["SOURCE_DATE_EPOCH"])
files = sorted(os.listdir(folder))
def mode(f):
    return 0o755 if f in ("pngprobe", "pngprobe.exe") else 0o644
if fmt == "zip":
    with zipfile.ZipFile(name, "w", zipfile.ZIP_DEFLATED) as z:
        for f in files:
            info = zipfile.ZipInfo(f, date_time=time.gmtime(epoch)[:6])
            info.external_attr = mode(f) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            with open(os.path.join(folder, f), "rb") as src:
                z.writestr(info, src.read(), compresslevel=9)
else:
    top = os.path.basename(name)[: -len(".tar.gz")]
    raw = io.BytesIO()
    with tarfile.open(fileobj=raw, mode="w", format=tarfile.GNU_FORMAT) as t:
        for f in files:
            info = t.gettarinfo(os.path.join(folder, f), arcname=f"{top}/{f}")
            info.mtime, info.mode = epoch, mode(f)
            info.uid = info.gid = 0
            info.uname = info.gname = "root"
            with open(os.path.join(folder, f), "rb") as src:
                t.addfile(info, src)
    with open(name, "wb") as o:
        with gzip.GzipFile(filename="", mode="wb", fileobj=o, mtime=epoch, compresslevel=9) as g:
            g.write(raw.getvalue())
PY
}

# The portable Linux archive: the same musl executable as the amd64 .deb.
portable=$work/portable
mkdir -p "$portable"
cp "$work/deb-amd64/usr/bin/pngprobe" "$portable/"
cp "$work/linux-musl/pngprobe.1" README.md LICENSE "$portable/"
archive "$out/pngprobe-$version-linux-x86_64.tar.gz" "$portable" tar.gz

# The Windows archive: pngprobe.exe beside its README and licence.
cmake --install "$work/windows-x86" --component runtime --strip --prefix "$work/windows" > /dev/null
archive "$out/pngprobe-$version-windows-x86.zip" "$work/windows" zip

# The sources of the last commit.
git archive --format=tar --prefix="pngprobe-$version/" HEAD | gzip -9n > "$out/pngprobe-$version.tar.gz"

(cd "$out" && sha256sum -- * > SHA256SUMS)
ls -l "$out"
