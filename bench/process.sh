#!/usr/bin/env bash
# Whole-process benchmark: pngprobe against a static do-nothing process, a
# static process that only reads a million bytes, and the peer tools that are
# installed, on a small PNG and on one over 1 MB. Prints hyperfine's medians
# as ratios, and pngprobe's peak resident memory.
#
#   bench/process.sh [PNGPROBE]     (default build/bench/pngprobe)
set -euo pipefail
cd "$(dirname "$0")/.."
tool=$(realpath "${1:-build/bench/pngprobe}")
command -v hyperfine > /dev/null || { echo "needs hyperfine (apt-get install hyperfine)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The floors, built from a few lines of C like the tool itself: static.
cat > "$work/nothing.c" <<'C'
int main(void) { return 0; }
C
cat > "$work/read_million.c" <<'C'
#include <stdio.h>
static unsigned char buffer[1000000];
int main(int argc, char **argv) {
    FILE *f = argc > 1 ? fopen(argv[1], "rb") : NULL;
    if (!f) return 1;
    printf("%d\n", (int)fread(buffer, 1, sizeof buffer, f));
    fclose(f);
    return 0;
}
C
cc -O2 -static -o "$work/nothing" "$work/nothing.c"
cc -O2 -static -o "$work/read_million" "$work/read_million.c"

small=examples/sample.png
large=$work/large.png
{ head -c 33 "$small"; printf '\x00\x16\xe3\x60IDAT'; head -c 1500004 /dev/urandom; printf '\x00\x00\x00\x00IEND\xaeB`\x82'; } > "$large"

median() { # hyperfine JSON -> median of the named command, in ms
    python3 -c 'import json,sys; r={x["command"]:x["median"] for x in json.load(open(sys.argv[1]))["results"]}; print("%.3f" % (r[sys.argv[2]]*1000))' "$@"
}

for case in small large; do
    file=${!case}
    cmds=(-n floor "$work/nothing" -n read_million "$work/read_million $file" -n pngprobe "$tool $file")
    peers=()
    command -v pngcheck > /dev/null && { cmds+=(-n pngcheck "pngcheck $file"); peers+=(pngcheck); }
    command -v pnginfo > /dev/null && { cmds+=(-n pnginfo "pnginfo $file"); peers+=(pnginfo); }
    command -v file > /dev/null && { cmds+=(-n file "file $file"); peers+=(file); }
    hyperfine -N --warmup 50 --runs 1000 --export-json "$work/$case.json" "${cmds[@]}" > /dev/null 2>&1 \
        || hyperfine -N -i --warmup 50 --runs 1000 --export-json "$work/$case.json" "${cmds[@]}" > /dev/null 2>&1
    p=$(median "$work/$case.json" pngprobe)
    echo "== $case PNG ($(wc -c < "$file") bytes): medians in ms, ratio = pngprobe / other"
    for name in floor read_million "${peers[@]}"; do
        m=$(median "$work/$case.json" "$name")
        printf '  %-13s %8s ms   pngprobe/%s = %s\n' "$name" "$m" "$name" "$(python3 -c "print('%.2f' % ($p/$m))")"
    done
    printf '  %-13s %8s ms\n' pngprobe "$p"
    rss=$(/usr/bin/time -v "$tool" "$file" 2>&1 > /dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p')
    echo "  pngprobe peak resident memory: $rss KiB"
done
