#!/usr/bin/env bash
# Fails unless the executable imports only DLLs that every Windows has.
set -u
objdump=$1 exe=$2
dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
echo "imports:" $dlls
[ -n "$dlls" ] || { echo "no imports found"; exit 1; }
bad=0
for dll in $dlls; do
    case "${dll,,}" in
        kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll) ;;
        *) echo "not a system DLL: $dll"; bad=1 ;;
    esac
done
exit "$bad"
