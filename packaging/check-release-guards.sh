#!/usr/bin/env bash
# release.sh releases exactly one commit: in a clone with an uncommitted
# change to a tracked file, and in one with a file neither tracked nor
# ignored, it must refuse, say why, and build nothing.
set -euo pipefail
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
echo "release guards: ok"
