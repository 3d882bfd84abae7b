#!/usr/bin/env bash
# Builds every release artifact into one folder, with a SHA256SUMS file:
# the .debs, the portable Linux archives, the Windows ZIP, the sources and
# the toolchain record, as the README's table under "Installing" lists them.
#
#   packaging/release.sh [OUTDIR]       (default build/dist)
#
# A release is one commit: a work tree with changes (or files neither
# tracked nor ignored) is refused, so that the packages, built from the
# tree, and the source tarball, from the commit, hold the same bytes. Other
# files in OUTDIR are left alone. The bytes are the same from any folder,
# at any time, with the same toolchain (SOURCE_DATE_EPOCH from the commit;
# fixed order, owners and modes; no build paths or link times), which is
# recorded beside the artifacts, as Debian's .buildinfo does.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
changes=$(git status --porcelain --untracked-files=normal) || {
    echo "release.sh: not a git work tree; a release is made from a commit"
    exit 1
}
if [ -n "$changes" ]; then
    echo "release.sh: the work tree differs from the commit; commit or stash first:"
    printf '%s\n' "$changes"
    exit 1
fi
out=$(mkdir -p "${1:-build/dist}" && cd "${1:-build/dist}" && pwd)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC LC_ALL=C
umask 022
work=$source_dir/build/release-work
rm -rf "$work"
mkdir -p "$work"
# artifact NAME: a file of this release in OUTDIR, removed if an earlier
# run left it, and listed in SHA256SUMS; its path is left in $artifact.
artifacts=()
artifact() {
    artifacts+=("$1")
    artifact=$out/$1
    rm -f "$artifact"
}

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
# Every file in a tree at the commit's time, with the usual modes: what was
# installed executable 0755, everything else 0644.
normalise() {
    find "$1" -type d -exec chmod 0755 {} +
    find "$1" -type f -perm -u+x -exec chmod 0755 {} +
    find "$1" -type f ! -perm -u+x -exec chmod 0644 {} +
    find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# installed_size TREE: the KiB that TREE's files take once installed, as
# dpkg-gencontrol counts them (a file's size rounded up to a KiB, a KiB a
# folder or link); du would count the blocks of the build's file system.
installed_size() {
    find "$1" -path "$1/DEBIAN" -prune -o -mindepth 1 -printf '%y %s\n' |
        awk '$1 == "f" { kib += int(($2 + 1023) / 1024); next } { kib += 1 } END { print kib + 0 }'
}

# The Debian changelog, made from CHANGELOG.md: an entry a released section
# with its text as it stands (each heading and paragraph a "*" item, each
# list under it indented), the newest dated as the commit, each other at
# the start of its day.
debian_changelog() {
    awk -v now="$(date -R -d "@$SOURCE_DATE_EPOCH")" '
        function sign() { if (date) printf "\n -- The pngprobe developers <dev@pngprobe.invalid>  %s\n\n", date }
        /^## \[[0-9]/ {
            sign()
            version = substr($2, 2, length($2) - 2)
            if (now) { date = now; now = "" } else { cmd = "date -R -d " $4; cmd | getline date; close(cmd) }
            printf "pngprobe (%s) unstable; urgency=medium\n\n", version
            next
        }
        !date || /^$/ { item = 1; next }
        /^### / { sub(/^### /, ""); print "  * " $0 ":"; next }
        /^(- |  )/ { print "    " $0; next }
        { print (item ? "  * " : "    ") $0; item = 0 }
        END { sign() }' CHANGELOG.md | tr -d '`'
}

# deb NAME ARCH SECTION TREE DESCRIPTION...: a binary package of TREE.
deb() {
    local name=$1 arch=$2 section=$3 tree=$4
    shift 4
    local doc=$tree/usr/share/doc/$name
    mkdir -p "$doc" "$tree/DEBIAN"
    rm -f "$doc/LICENSE"  # the copyright file carries it
    cp packaging/debian/copyright "$doc/copyright"
    debian_changelog | gzip -9n > "$doc/changelog.gz"
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
        echo "Installed-Size: $(installed_size "$tree")"
        echo "Section: $section"
        echo "Priority: optional"
        printf '%s\n' "$@"
    } > "$tree/DEBIAN/control"
    chmod 0644 "$tree/DEBIAN/control" "$tree/DEBIAN/md5sums"
    touch -d "@$SOURCE_DATE_EPOCH" "$tree/DEBIAN" "$tree/DEBIAN"/*
    artifact "${name}_${version}_$arch.deb"
    dpkg-deb --root-owner-group -Zxz --build "$tree" "$artifact" > /dev/null
}

# Every Linux executable shipped (static-pie, musl), as cmake/presets.py lists them.
mapfile -t linux_targets < <(python3 cmake/presets.py shipped)
[ ${#linux_targets[@]} -gt 0 ] || { echo "release.sh: CMakePresets.json ships nothing"; exit 1; }
for target in "${linux_targets[@]}"; do
    build "${target%%:*}"
done
build release
build windows-x86

# cache_value NAME: what the release build's configure step recorded.
cache_value() {
    sed -n "s/^$1:[A-Z]*=//p" "$work/release/CMakeCache.txt"
}
version=$(cache_value CMAKE_PROJECT_VERSION)
summary=$(cache_value CMAKE_PROJECT_DESCRIPTION)
# The README's first paragraph, without backticks, as a control field continues.
long_description=$(awk 'NR > 2 && /^$/ { exit } NR > 2' README.md | tr -d '`' | sed 's/^/ /')

# The tool for each architecture; man page compressed as Debian wants.
for target in "${linux_targets[@]}"; do
    IFS=: read -r preset arch cpu _ <<< "$target"
    tree=$work/deb-$arch
    stage "$preset" runtime "$tree"
    gzip -9n "$tree/usr/share/man/man1/pngprobe.1"
    deb pngprobe "$arch" graphics "$tree" "Description: $summary" "$long_description" \
        " ." " The executable is linked statically and depends on no other package."
done

# The scanner for developers, from the glibc build.
tree=$work/deb-dev
stage release development "$tree"
deb pngprobe-dev amd64 libdevel "$tree" "Description: $summary (C++ library)" \
    "$long_description" " ." \
    " This package holds the scanner as a static C++ library, libpngprobe.a," \
    " with its headers, a CMake package and a pkg-config file."

# as_root COMMAND...: as root (in a user namespace of its own for anyone
# else), so that an archive records root as every file's owner.
as_root() {
    if [ "$(id -u)" = 0 ]; then
        "$@"
    else
        unshare --map-root-user "$@"
    fi
}
# archive FILE FORMAT DIR TOP: the files under DIR/TOP ("." for a flat
# archive) into FILE, sorted and normalised: gnutar with cmake -E tar and
# gzip -9n, or zip with Info-ZIP's zip -X (cmake -E tar's ZIP writer stores
# each file's change time, which no build can set).
archive() {
    local file=$1 format=$2 dir=$3 top=$4 list
    normalise "$dir/$top"
    (cd "$dir" && find "$top" -type f | sed 's|^\./||' | sort) > "$work/archive-files"
    mapfile -t list < "$work/archive-files"
    if [ "$format" = zip ]; then
        (cd "$dir" && zip -X -9 -D -q "$file" "${list[@]}")
    else
        (cd "$dir" && as_root cmake -E tar cf "$work/archive.tar" --format=gnutar \
            --files-from="$work/archive-files")
        gzip -9n < "$work/archive.tar" > "$file"
    fi
}

# The portable Linux archives: the same executables as the .debs.
for target in "${linux_targets[@]}"; do
    IFS=: read -r preset arch cpu _ <<< "$target"
    portable=pngprobe-$version-linux-$cpu
    mkdir -p "$work/portable-$cpu/$portable/examples"
    cp "$work/deb-$arch/usr/bin/pngprobe" "$work/$preset/pngprobe.1" README.md LICENSE \
        "$work/portable-$cpu/$portable/"
    cp examples/sample.png "$work/portable-$cpu/$portable/examples/"
    artifact "$portable.tar.gz"
    archive "$artifact" gnutar "$work/portable-$cpu" "$portable"
done

# The Windows archive: pngprobe.exe beside its README and licence.
cmake --install "$work/windows-x86" --component runtime --strip --prefix "$work/windows" > /dev/null
artifact "pngprobe-$version-windows-x86.zip"
archive "$artifact" zip "$work/windows" .

# The sources of the commit, which the work tree holds unchanged.
artifact "pngprobe-$version.tar.gz"
git archive --format=tar --prefix="pngprobe-$version/" HEAD | gzip -9n > "$artifact"

# The toolchain: each build's compiler and linker with their packages, then
# the other packages. package_version NAME: NAME with its installed version, as .buildinfo has it.
package_version() {
    dpkg-query -W -f '${binary:Package} (= ${Version})' "$1" 2> /dev/null
}
# owner FILE: the package (with its version) that installed FILE.
owner() {
    local package
    package=$(dpkg -S "$(realpath "$1")" 2> /dev/null | head -1 | cut -d: -f1) || true
    [ -n "$package" ] && package_version "$package"
}
artifact "pngprobe_${version}_toolchain.buildinfo"
{
    echo "Source: pngprobe"
    echo "Version: $version"
    echo "Build-Architecture: $(dpkg --print-architecture)"
    echo "Source-Date-Epoch: $SOURCE_DATE_EPOCH"
    echo "Toolchain:"
    for preset in "${linux_targets[@]%%:*}" release windows-x86; do
        for tool in CMAKE_CXX_COMPILER CMAKE_LINKER; do
            path=$(sed -n "s/^set($tool \"\(.*\)\")\$/\1/p" "$work/$preset"/CMakeFiles/*/CMakeCXXCompiler.cmake)
            echo " $preset: $path: $("$path" --version | head -1); $(owner "$path")"
        done
    done
    echo "Installed-Build-Depends:"
    # The C libraries that come with the compilers, and what .ci/packages lists.
    mapfile -t packages < <(sed 's/#.*//' .ci/packages | xargs -n 1)
    for package in libc6-dev libstdc++-12-dev mingw-w64-i686-dev "${packages[@]}"; do
        echo " $(package_version "$package" || echo "$package (not installed)")"
    done
} > "$artifact"

rm -f "$out/SHA256SUMS"
(cd "$out" && sha256sum -- "${artifacts[@]}" > SHA256SUMS)
(cd "$out" && ls -l -- "${artifacts[@]}" SHA256SUMS)
