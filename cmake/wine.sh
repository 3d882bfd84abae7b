#!/bin/sh
# wine.sh 32|64 ARGS...: runs wine ARGS... for a 32-bit or a 64-bit Windows
# program (wine32.sh and wine64.sh, the tests' emulators). Exits 77, which
# the tests count as skipped, only where Wine cannot start here, and says
# why; "--how" says how it runs: natively, or under qemu-i386;
# "--kill-server" ends WINEPREFIX's wineserver.
#
# 64-bit Wine runs natively. Debian's 32-bit Wine (wine32:i386) runs
# natively where the kernel runs 32-bit x86 programs, else (or with
# PNGPROBE_WINE32=qemu) under qemu-i386 8 or later. There Wine finds its
# files, and the loader for its child processes, from /proc/self/exe, and
# must not re-execute itself (WINELOADERNOEXEC). So qemu runs a copy of the
# 32-bit loader in a folder laid out like /usr/lib/wine, under build/: its
# "wine" starts qemu, a copy of wine64 runs the 64-bit programs (wineboot,
# services) natively, wineserver64 serves all.

# Wine quiet, and without the Mono and Gecko installers, unless asked.
export WINEDEBUG="${WINEDEBUG--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES-mscoree,mshtml=}"
# Wine now and then fails to start a program ("failed to map the shared user
# data") where the kernel's address randomization puts a mapping on an
# address it needs; without randomization for Wine's own process it starts
# every time (a Windows program's image is placed by Wine).
norandom=""
command -v setarch > /dev/null 2>&1 && norandom="setarch $(uname -m) -R"
wine64=/usr/lib/wine/wine64
bits=$1
shift
[ "${1:-}" != --kill-server ] || exec /usr/lib/wine/wineserver -k
if [ "$bits" = 64 ]; then
    [ -x "$wine64" ] || { echo "no 64-bit Wine ($wine64; package wine64): 64-bit Windows tests skipped"; exit 77; }
    [ "${1:-}" != --how ] || { echo natively; exit 0; }
    exec $norandom "$wine64" "$@"
fi
loader=/usr/lib/wine/wine
[ -e "$loader" ] || { echo "no 32-bit Wine ($loader; package wine32:i386): 32-bit Windows tests skipped"; exit 77; }
if [ "${PNGPROBE_WINE32:-}" != qemu ] && $norandom "$loader" --version > /dev/null 2>&1; then
    [ "${1:-}" != --how ] || { echo natively; exit 0; }
    exec $norandom "$loader" "$@"
fi

qemu=$(command -v qemu-i386 || command -v qemu-i386-static) || qemu=""
version=$([ -n "$qemu" ] && "$qemu" --version 2> /dev/null | sed -n '1s/^.* version \([0-9][0-9.]*\).*/\1/p')
if [ "${version%%.*}" -lt 8 ] 2> /dev/null || [ -z "$version" ]; then
    echo "cannot start $loader natively (a kernel that runs no 32-bit x86 programs, or a broken wine32)," \
        "and no qemu-i386 of version 8 or later${qemu:+ ($qemu is ${version:-of no known version})}:" \
        "32-bit Windows tests skipped"
    exit 77
fi
[ "${1:-}" != --how ] || { echo "under qemu-i386 $version"; exit 0; }

root=$(cd "$(dirname "$0")/.." && pwd)/build/wine32-qemu
dir=$root/lib/wine
# The folder's "wine", with qemu's path quoted for the shell.
script="#!/bin/sh
WINELOADERNOEXEC=1 exec '$(printf '%s' "$qemu" | sed "s/'/'\\\\''/g")' -0 \"\$0\" \"\${0%/*}/wine-i386\" \"\$@\""
# Made anew where it is missing or stale (Wine or qemu changed), in a
# folder of its own first, so that runs in parallel never see half of it.
if ! cmp -s "$loader" "$dir/wine-i386" || ! cmp -s "$wine64" "$dir/wine64" ||
    [ "$(cat "$dir/wine" 2> /dev/null)" != "$script" ]; then
    mkdir -p "$(dirname "$root")" && new=$(mktemp -d "$root.XXXXXX") || exit 1
    mkdir -p "$new/lib/wine" "$new/share"
    ln -s /usr/lib/x86_64-linux-gnu "$new/lib/x86_64-linux-gnu"
    ln -s /usr/lib/i386-linux-gnu "$new/lib/i386-linux-gnu"
    ln -s /usr/share/wine "$new/share/wine"
    cp "$loader" "$new/lib/wine/wine-i386"
    cp "$wine64" "$new/lib/wine/wine64"
    ln -s /usr/lib/wine/wineserver64 "$new/lib/wine/wineserver"
    printf '%s\n' "$script" > "$new/lib/wine/wine"
    chmod 0755 "$new" "$new/lib/wine/wine"
    rm -rf "$root"
    mv -T "$new" "$root" 2> /dev/null || rm -rf "$new"
fi
# Wine answers --version only where it re-executes itself: the same Wine's
# 64-bit loader answers for it.
[ "${1:-}" != --version ] || exec "$dir/wine64" --version
exec $norandom "$dir/wine" "$@"
