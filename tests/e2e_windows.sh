#!/usr/bin/env bash
# End-to-end cases that only Windows has: files that another process holds
# open, with and without sharing, and the NUL device. The harness is
# e2e_lib.sh, as for e2e.sh.
#
#   e2e_windows.sh TOOL HOLD_FILE [EMULATOR ARGS...]
#
# HOLD_FILE is the helper that holds a file open as another Windows process
# (tests/hold_file.cpp), run through the same emulator.
set -u

tool=$1 hold_file=$2
shift 2
emulator=("$@")
eol=crlf
source "$(dirname "$0")/e2e_lib.sh"

# hold MODE FILE: runs the tool on FILE while the helper holds it open for
# writing with the given share mode.
hold() {
    local mode=$1 file=$2 signal=$work/held.signal waited=0
    rm -f "$signal"
    run "$hold_file" "$file" "$mode" "$signal" 2> "$work/hold.err" &
    local holder=$!
    while [ ! -e "$signal" ] && [ $waited -lt 600 ] && kill -0 $holder 2> /dev/null; do
        sleep 0.1
        waited=$((waited + 1))
    done
    local rc=125  # a status no case expects: the file was never held
    if [ -e "$signal" ]; then
        run "$tool" "$file" > "$work/out" 2> "$work/err"
        rc=$?
    else
        echo "hold_file did not take $file"
        cat "$work/hold.err"
    fi
    rm -f "$signal"
    wait $holder
    return $rc
}
cp "$work/minimal.png" "$work/held.png"
hold exclusive "$work/held.png"
report "file held open by another process that shares nothing" $? 1 $'Cannot open file\n'
hold shared "$work/held.png"
report "file held open for writing by another process that shares it" $? 0 $'33\n'"$found_640x480"
check "NUL device" 0 $'0\ninvalid png\n' -- NUL

e2e_summary
