#!/usr/bin/env bash
# One wineserver for a Windows preset's whole test run (WINEPREFIX set by
# ctest), so that each test does not pay Wine's start-up.
#
#   wine_server.sh start|stop EMULATOR WINESERVER BUILD_DIR
#
# Where the emulator cannot run (no Wine, a kernel that runs no 32-bit
# programs) "start" exits 77 with the reason; "stop" then has no server to
# stop and exits 77 too, never fails. BUILD_DIR/wineserver-started marks a
# server that "start" started.
set -uo pipefail
[ $# -eq 4 ] || { echo "usage: wine_server.sh start|stop EMULATOR WINESERVER BUILD_DIR"; exit 2; }
emulator=$2 wineserver=$3 started=$4/wineserver-started
# wineboot's services live as long as the server and keep its streams: a file.
log=$4/wineboot.log
if [ "$1" = start ]; then
    rm -f "$started"
    "$emulator" --version > "$log" 2>&1
    rc=$?
    if [ $rc -ne 0 ]; then
        cat "$log"  # the emulator scripts give their reason with 77
        [ $rc -eq 77 ] || echo "cannot start $emulator here: the Windows tests are skipped"
        exit 77
    fi
    # How Wine runs here (natively, or under qemu), for CI's closing table.
    echo "Wine runs $("$emulator" --how)"
    mkdir -p "$WINEPREFIX"
    "$wineserver" -p < /dev/null > /dev/null 2>&1 || { echo "$wineserver -p failed"; exit 1; }
    touch "$started"
    "$emulator" wineboot --init < /dev/null > "$log" 2>&1 || { rc=$?; cat "$log"; exit $rc; }
elif [ -e "$started" ]; then
    rm -f "$started"
    exec "$wineserver" -k
else
    echo "no wineserver was started (wine_start skipped or failed before it): nothing to stop"
    exit 77
fi
