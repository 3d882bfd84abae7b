#!/usr/bin/env bash
# Builds the release again from a clean clone of the commit, in a folder of
# another name and depth and at a later time, and fails unless every
# artifact is the same byte for byte as those of the release in DIST. First,
# release.sh must refuse a clone with a change, say why, and build nothing.
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
fail() { echo "FAIL: $*"; exit 1; }
# refuses NAME CHANGE: release.sh in a fresh clone after CHANGE (a shell
# command run in it) must exit non-zero, name the change, and make no
# release folder.
refuses() {
    local name=$1 change=$2 clone=$work/$1 rc=0
    git clone -q . "$clone"
    (cd "$clone" && bash -c "$change")
    (cd "$clone" && timeout 60 bash packaging/release.sh "$work/$name-dist") > "$work/$name.out" 2>&1 || rc=$?
    [ "$rc" -ne 0 ] || fail "release.sh released a tree with $name: $(cat "$work/$name.out")"
    grep -q 'differs from the commit' "$work/$name.out" || fail "release.sh did not say why: $(cat "$work/$name.out")"
    [ ! -e "$work/$name-dist" ] || fail "release.sh made $work/$name-dist before refusing"
    [ ! -e "$clone/build" ] || fail "release.sh built before refusing"
    echo "refused: $name ($(sed -n 2p "$work/$name.out"))"
}
refuses uncommitted-change 'echo "a line not committed" >> README.md'
refuses untracked-file 'echo "not tracked" > NOTES'
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
