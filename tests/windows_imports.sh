#!/usr/bin/env bash
# Fails unless the executable runs on the oldest Windows that
# windows_functions.txt names for its architecture, as the README says:
# every DLL it imports is one that Windows has, every function it imports
# has its row there and is no newer (only one looked up at run time may
# be), and its header asks for no newer Windows. Also fails unless it
# writes a console in UTF-16 (WriteConsoleW), never changes the console's
# code page, which would stay changed for the user after the tool exits, and
# reads and writes with the system's own calls, not a C runtime stream.
#
#   windows_imports.sh OBJDUMP EXE
set -u
objdump=$1 exe=$2 table=$(dirname "$0")/windows_functions.txt readme=$(dirname "$0")/../README.md
imports=$("$objdump" -p "$exe")
case $(sed -n 's/.*file format //p' <<< "$imports") in
    pei-i386) arch=x86 ;;
    pei-x86-64) arch=x64 ;;
    *) echo "$exe: not a 32-bit x86 or x64 Windows executable"; exit 1 ;;
esac
read -r _ _ minimum oldest < <(grep "^minimum $arch " "$table")
# newer A B: version A is newer than version B.
newer() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 > b + 0) }'; }
bad=0
grep -qF "$oldest" "$readme" || { echo "README.md does not name $oldest, the oldest Windows"; bad=1; }
header=$(awk '/^MajorSubsystemVersion/ { major = $2 } /^MinorSubsystemVersion/ { print major "." $2 }' <<< "$imports")
newer "$header" "$minimum" && { echo "its header asks for Windows $header, newer than $oldest ($minimum)"; bad=1; }
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<< "$imports")
echo "imports: ${dlls//$'\n'/ }; the oldest Windows: $oldest"
[ -n "$dlls" ] || { echo "no imports found"; exit 1; }
for dll in $dlls; do
    grep -qiE "^dlls( .*)? $dll( |$)" "$table" || { echo "imports $dll, not one of the DLLs that $(basename "$table") allows"; bad=1; }
done
# objdump lists each imported function as "address hint name", under its DLL.
imported=$(awk '/DLL Name:/ { dll = $3 } NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }' <<< "$imports")
while read -r dll function; do
    read -r version looked_up < <(awk -v d="${dll,,}" -v f="$function" 'tolower($1) == d && $2 == f { print $3, $4 }' "$table")
    if [ -z "${version:-}" ]; then
        echo "imports $dll $function, which $(basename "$table") lacks: add its row, with the oldest Windows Microsoft documents it for"
        bad=1
    elif [ -z "$looked_up" ] && newer "$version" "$minimum"; then
        echo "imports $function, documented from Windows NT $version on: newer than $oldest ($minimum)"
        bad=1
    fi
done <<< "$imported"
functions=$(cut -d ' ' -f 2 <<< "$imported")
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
