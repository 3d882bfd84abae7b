#!/usr/bin/env bash
# Reads the version resource and the manifest back out of the built .exe and
# checks them against the project's version.
#   windows_resources.sh WINDRES EXE VERSION
set -u
windres=$1 exe=$2 version=$3
IFS=. read -r major minor patch <<< "$version"
rc=$("$windres" -i "$exe" -O rc) || { echo "windres cannot read $exe"; exit 1; }
failed=0
expect() {
    if grep -qF -- "$1" <<< "$rc"; then
        echo "ok: $1"
    else
        echo "missing: $1"
        failed=1
    fi
}
expect "FILEVERSION $major, $minor, $patch, 0"
expect "PRODUCTVERSION $major, $minor, $patch, 0"
expect "VALUE \"FileVersion\", \"$version\""
expect "VALUE \"ProductVersion\", \"$version\""
expect 'VALUE "ProductName", "pngprobe"'
expect 'VALUE "FileDescription", "Reports the width, height, bit depth and colour type of a PNG file"'
expect 'VALUE "OriginalFilename", "pngprobe.exe"'
expect 'MIT License'
# The manifest, as windres quotes it ("" for each ").
expect "name=\"\"pngprobe\"\" version=\"\"$version.0\"\""
expect '>true</longPathAware>'
expect '>UTF-8</activeCodePage>'
exit "$failed"
