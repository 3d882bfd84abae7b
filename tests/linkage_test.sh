#!/usr/bin/env bash
# The native Linux executable as a distribution wants it: position-
# independent (ELF type DYN, loaded at a random address), and, unless it was
# asked to link statically, dynamic (a program interpreter and the C library
# as a shared one) as the toolchain links by default.
#   linkage_test.sh EXE STATIC(ON|OFF)
set -u
exe=$1 static=$2
headers=$(readelf -hld "$exe") || { echo "readelf cannot read $exe"; exit 1; }
bad=0
grep -q 'Type:.*DYN' <<< "$headers" || { echo "not position-independent: $(grep 'Type:' <<< "$headers")"; bad=1; }
case $static in
    ON | on | 1 | TRUE | true) grep -q 'INTERP' <<< "$headers" && { echo "static asked for, but it has an interpreter"; bad=1; } ;;
    *) grep -q 'INTERP' <<< "$headers" || { echo "not linked dynamically, as the toolchain does by default"; bad=1; } ;;
esac
[ "$bad" -eq 0 ] && echo "$(basename "$exe"): $(grep -o 'DYN[^)]*)' <<< "$headers"), $(grep -c '(NEEDED)' <<< "$headers") shared libraries"
exit "$bad"
