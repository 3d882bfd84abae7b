#!/bin/sh
# Runs a 64-bit Windows program under 64-bit Wine. Exits 77, which the tests
# report as skipped, where this machine has no 64-bit Wine, and says so.
loader=/usr/lib/wine/wine64
if ! [ -x "$loader" ]; then
    echo "no 64-bit Wine ($loader; package wine64): 64-bit Windows tests skipped"
    exit 77
fi
exec "$loader" "$@"
