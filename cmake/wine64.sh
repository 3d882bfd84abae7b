#!/bin/sh
# Runs a 64-bit Windows program under 64-bit Wine. Exits 77, which the tests
# report as skipped, where this machine has no 64-bit Wine, and says so.
# "wine64.sh --how" says how it runs, as wine32.sh does: natively.
loader=/usr/lib/wine/wine64
# Wine quiet, and without the Mono and Gecko installers, unless asked.
export WINEDEBUG="${WINEDEBUG--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES-mscoree,mshtml=}"
if ! [ -x "$loader" ]; then
    echo "no 64-bit Wine ($loader; package wine64): 64-bit Windows tests skipped"
    exit 77
fi
[ "${1:-}" != --how ] || { echo natively; exit 0; }
# Wine itself, now and then, fails to start a program ("failed to map the
# shared user data", exit 1, nothing printed under WINEDEBUG=-all) where
# the kernel's address randomization puts a mapping on the address Wine
# needs. Without randomization for Wine's own process (setarch -R) it
# starts every time; a Windows program's own image is placed by Wine.
if command -v setarch > /dev/null 2>&1; then
    exec setarch "$(uname -m)" -R "$loader" "$@"
fi
exec "$loader" "$@"
