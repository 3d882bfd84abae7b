#!/usr/bin/env bash
# Builds the release from two clean clones of the last commit, in folders of
# different names and depths and at different times, and fails unless every
# artifact is the same byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone -q . "$work/first"
git clone -q . "$work/second/clone/at/another/depth"
(cd "$work/first" && bash packaging/release.sh > /dev/null)
sleep 2  # a later wall-clock time for the second build
(cd "$work/second/clone/at/another/depth" && bash packaging/release.sh > /dev/null)
if diff "$work/first/build/dist/SHA256SUMS" "$work/second/clone/at/another/depth/build/dist/SHA256SUMS"; then
    echo "reproducible: both builds identical"
    cat "$work/first/build/dist/SHA256SUMS"
else
    echo "FAIL: the two builds differ"
    exit 1
fi
