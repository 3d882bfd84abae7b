#!/bin/sh
# Runs a 32-bit Windows program under 32-bit Wine. Exits 77, which the tests
# report as skipped, where this machine cannot start Wine's 32-bit loader,
# and says why: no wine32 installed, or a kernel that runs no 32-bit x86
# programs (built without 32-bit support, or with it switched off).
loader=/usr/lib/wine/wine
# Wine's start without the kernel's address randomization: see wine64.sh.
norandom=""
command -v setarch > /dev/null 2>&1 && norandom="setarch $(uname -m) -R"
if ! $norandom "$loader" --version > /dev/null 2>&1; then
    if [ ! -e "$loader" ]; then
        echo "no 32-bit Wine ($loader; package wine32:i386): 32-bit Windows tests skipped"
    else
        echo "cannot start $loader (a kernel that runs no 32-bit x86 programs, or a broken wine32): 32-bit Windows tests skipped"
    fi
    exit 77
fi
exec $norandom "$loader" "$@"
