#!/usr/bin/env bash
# Builds the .deb (release build) and the Windows ZIP (windows-x86 build),
# checks what they hold, installs the .deb and uses it as a user would.
# Needs root for the install; run after both presets are built.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt)

(cd build/release && cpack -G DEB > /dev/null)
deb=build/release/pngprobe_${version}_$(dpkg --print-architecture).deb
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/pngprobe ./usr/share/man/man1/pngprobe.1 \
         ./usr/share/doc/pngprobe/README.md ./usr/share/doc/pngprobe/LICENSE; do
    grep -qx "$f" <<< "$contents" || { echo "missing from the .deb: $f"; exit 1; }
done
if grep -q include/ <<< "$contents"; then echo "the .deb holds development files"; exit 1; fi
[ "$(dpkg-deb -f "$deb" Package)" = pngprobe ]
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ]
[ "$(dpkg-deb -f "$deb" Section)" = graphics ]
[ -z "$(dpkg-deb -f "$deb" Depends)" ]
grep -q "pngprobe $version" build/release/pngprobe.1

apt-get install -y -q "./$deb" > /dev/null
[ "$(command -v pngprobe)" = /usr/bin/pngprobe ]
pngprobe examples/sample.png | grep -qx 'bit_depth: 8, color_type: 2'
if command -v man > /dev/null; then
    [ "$(man -w pngprobe)" = /usr/share/man/man1/pngprobe.1 ]
    man pngprobe 2> /dev/null | grep -q 'report the width, height'
fi
apt-get remove -y -q pngprobe > /dev/null

(cd build/windows-x86 && cpack -G ZIP > /dev/null)
zip=build/windows-x86/pngprobe-${version}-windows-x86.zip
[ "$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')" = "LICENSE README.md pngprobe.exe " ]
rm -rf build/zip-check && mkdir build/zip-check
(cd build/zip-check && cmake -E tar xf "../../$zip")
file build/zip-check/pngprobe.exe | grep -q 'PE32 executable (console) Intel 80386'
echo "packages: ok ($deb, $zip)"
