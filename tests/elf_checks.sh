#!/usr/bin/env bash
# Checks a Linux executable's ELF headers, and names each check that fails:
# the one place these readelf checks stand, for the linkage test, the
# distribution build's test and the release's check of its executables.
#
#   elf_checks.sh EXE CHECK...
#     pie       position-independent (type DYN): loaded at a random address
#     dynamic   a program interpreter: linked dynamically
#     static    no program interpreter and no shared library
#     relro     full RELRO: a RELRO segment and BIND_NOW
#     ssp       the stack protector (__stack_chk_fail among its symbols)
#     no-glibc  no glibc in it
set -u
exe=$1
shift
headers=$(readelf -W -hld --dyn-syms "$exe") || { echo "readelf cannot read $exe"; exit 1; }
bad=0
no() { echo "$(basename "$exe"): $1"; bad=1; }
for check in "$@"; do
    case $check in
        pie) grep -q 'Type:.*DYN' <<< "$headers" || no "not position-independent: $(grep 'Type:' <<< "$headers")" ;;
        dynamic) grep -q INTERP <<< "$headers" || no "no program interpreter: not linked dynamically" ;;
        static) grep -qE 'INTERP|\(NEEDED\)' <<< "$headers" && no "has a program interpreter or needs a shared library" ;;
        relro) grep -q GNU_RELRO <<< "$headers" || no "no RELRO segment: -z relro did not arrive"
            grep -q 'BIND_NOW\|FLAGS.*NOW' <<< "$headers" || no "no BIND_NOW: -z now did not arrive" ;;
        ssp) grep -q __stack_chk_fail <<< "$headers" || no "no stack protector: -fstack-protector-strong did not arrive" ;;
        no-glibc) grep -qa GLIBC "$exe" && no "linked against glibc" ;;
        *) echo "elf_checks.sh: unknown check '$check'"; exit 2 ;;
    esac
done
[ "$bad" -eq 0 ] && echo "$(basename "$exe"): $*"
exit "$bad"
