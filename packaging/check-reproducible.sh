#!/usr/bin/env bash
# Builds the release again from a clean clone of the commit, in a folder of
# another name and depth and at a later time, and fails unless every
# artifact is the same byte for byte as those of the release in DIST.
#
#   packaging/check-reproducible.sh DIST   (the folder release.sh wrote)
set -euo pipefail
if [ $# -ne 1 ] || [ ! -f "$1/SHA256SUMS" ]; then
    echo "usage: check-reproducible.sh DIST (a folder release.sh wrote)"
    exit 2
fi
dist=$(cd "$1" && pwd)
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clone=$work/another/clone/at/another/depth
git clone -q . "$clone"
sleep 2  # a later wall-clock time than any build before
(cd "$clone" && bash packaging/release.sh "$work/dist" > /dev/null)
if diff "$dist/SHA256SUMS" "$work/dist/SHA256SUMS"; then
    echo "reproducible: both builds identical"
    cat "$dist/SHA256SUMS"
else
    echo "FAIL: the two builds differ"
    exit 1
fi
