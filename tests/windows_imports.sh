#!/usr/bin/env bash
# Fails unless the executable imports only DLLs that every Windows has,
# writes a console in UTF-16 (WriteConsoleW), never changes the console's
# code page, which would stay changed for the user after the tool exits, and
# reads and writes with the system's own calls, not a C runtime stream.
set -u
objdump=$1 exe=$2
imports=$("$objdump" -p "$exe")
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<< "$imports")
echo "imports: ${dlls//$'\n'/ }"
[ -n "$dlls" ] || { echo "no imports found"; exit 1; }
bad=0
for dll in $dlls; do
    case "${dll,,}" in
        kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll) ;;
        *) echo "not a system DLL: $dll"; bad=1 ;;
    esac
done
# objdump lists each imported function as "address hint name".
functions=$(awk 'NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print $3 }' <<< "$imports")
for function in SetConsoleOutputCP SetConsoleCP; do
    if grep -qx "$function" <<< "$functions"; then
        echo "imports $function: the console's code page must not change"
        bad=1
    fi
done
grep -qx WriteConsoleW <<< "$functions" || { echo "does not import WriteConsoleW"; bad=1; }
# The input and the output go through the system's own calls, sharing the
# file with every other program; no C runtime stream opens, reads or
# flushes. (MinGW's start-up code imports fwrite and fputs for its own error
# reports, so those tell nothing.)
for function in _wfopen _wfsopen fopen fread fflush; do
    if grep -qx "$function" <<< "$functions"; then
        echo "imports $function: the input and output use CreateFileW, ReadFile and WriteFile"
        bad=1
    fi
done
for function in CreateFileW ReadFile WriteFile; do
    grep -qx "$function" <<< "$functions" || { echo "does not import $function"; bad=1; }
done
exit "$bad"
