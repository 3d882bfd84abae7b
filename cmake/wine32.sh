#!/bin/sh
# Runs a 32-bit Windows program under 32-bit Wine. Exits 77, which the tests
# report as skipped, where this machine cannot start Wine's 32-bit loader (a
# kernel built without 32-bit support, or no wine32 installed).
loader=/usr/lib/wine/wine
if ! "$loader" --version > /dev/null 2>&1; then
    echo "cannot run $loader (no 32-bit program support here, or no wine32): 32-bit Windows tests skipped"
    exit 77
fi
exec "$loader" "$@"
