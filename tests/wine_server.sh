#!/usr/bin/env bash
# One wineserver, in a throwaway prefix, for a whole run of a Windows
# preset's tests, so that each test does not pay Wine's start-up. ctest
# runs "start" before the first Windows test and "stop" after the last, with
# WINEPREFIX set.
#
#   wine_server.sh start|stop EMULATOR WINESERVER BUILD_DIR
#
# Where the emulator cannot run here (no Wine, a kernel that runs no 32-bit
# programs) "start" exits 77 with the reason and the Windows tests are
# skipped; "stop" then has no server to stop and is skipped too (77), never
# failed. Only a server that "start" started is stopped: the file
# BUILD_DIR/wineserver-started says there is one.
set -uo pipefail
[ $# -eq 4 ] || { echo "usage: wine_server.sh start|stop EMULATOR WINESERVER BUILD_DIR"; exit 2; }
action=$1
emulator=$2
wineserver=$3
build=$4
started="$build/wineserver-started"
# wineboot's services inherit its streams and live as long as the server,
# so it writes to a file, shown where it fails.
log="$build/wineboot.log"

case $action in
start)
    rm -f "$started"
    "$emulator" --version > "$log" 2>&1
    rc=$?
    if [ $rc -ne 0 ]; then
        cat "$log"
        # The emulator scripts give their own reason along with 77.
        [ $rc -eq 77 ] || echo "cannot start $emulator here: the Windows tests are skipped"
        exit 77
    fi
    mkdir -p "$WINEPREFIX"
    # The server's streams go nowhere, so it does not hold the test's output open.
    "$wineserver" -p < /dev/null > /dev/null 2>&1 || { echo "$wineserver -p failed"; exit 1; }
    touch "$started"
    "$emulator" wineboot --init < /dev/null > "$log" 2>&1 || {
        rc=$?
        cat "$log"
        exit $rc
    }
    ;;
stop)
    if [ ! -e "$started" ]; then
        echo "no wineserver was started (wine_start skipped or failed before it): nothing to stop"
        exit 77
    fi
    rm -f "$started"
    exec "$wineserver" -k
    ;;
*)
    echo "wine_server.sh: unknown action $action"
    exit 2
    ;;
esac
