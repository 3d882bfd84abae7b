#!/usr/bin/env bash
# Whole-process benchmark: pngprobe against the floors any process of its
# kind stands on (static do-nothing programs against musl and against glibc,
# and a static musl program that only reads a million bytes) and the peer
# tools that are installed, on a small PNG and on a 3 MB one. Prints
# hyperfine's medians as ratios, and pngprobe's peak resident memory.
#
#   bench/process.sh [PNGPROBE]     (default build/linux-musl/pngprobe)
#
# Needs hyperfine and musl-gcc (apt-get install hyperfine musl-tools); the
# peers are timed where installed (pngcheck, pngtools' pnginfo, file).
set -euo pipefail
cd "$(dirname "$0")/.."
tool=$(realpath "${1:-build/linux-musl/pngprobe}")
for need in hyperfine musl-gcc; do
    command -v $need > /dev/null || { echo "needs $need (apt-get install hyperfine musl-tools)"; exit 1; }
done
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
musl-gcc -O2 -static -o "$work/nothing_musl" "$work/nothing.c"
cc -O2 -static -o "$work/nothing_glibc" "$work/nothing.c"
musl-gcc -O2 -static -o "$work/read_million_musl" "$work/read_million.c"

small=examples/sample.png
large=$work/large.png
{ head -c 33 "$small"; printf '\x00\x2d\xc6\xc0IDAT'; head -c 3000004 /dev/urandom; printf '\x00\x00\x00\x00IEND\xaeB`\x82'; } > "$large"

median() { # hyperfine JSON -> median of the named command, in ms
    python3 -c 'import json,sys; r={x["command"]:x["median"] for x in json.load(open(sys.argv[1]))["results"]}; print("%.3f" % (r[sys.argv[2]]*1000))' "$@"
}

# Figures this small depend on the machine: on a virtual machine a page
# fault may trap to the host, so say which one they come from.
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo 2> /dev/null | head -1)
echo "machine: $(nproc) cores${cpu:+ ($cpu)}, $(free -g | awk '/^Mem:/ { print $2 }') GiB," \
    "$(uname -s) $(uname -r), $(. /etc/os-release 2> /dev/null && echo "$PRETTY_NAME")"
echo "pngprobe: $tool ($(wc -c < "$tool") bytes)"

for case in small large; do
    file=${!case}
    cmds=(-n nothing_musl "$work/nothing_musl" -n nothing_glibc "$work/nothing_glibc"
          -n read_million_musl "$work/read_million_musl $file" -n pngprobe "$tool $file")
    peers=()
    command -v pngcheck > /dev/null && { cmds+=(-n pngcheck "pngcheck $file"); peers+=(pngcheck); }
    command -v pnginfo > /dev/null && { cmds+=(-n pnginfo "pnginfo $file"); peers+=(pnginfo); }
    command -v file > /dev/null && { cmds+=(-n file "file $file"); peers+=(file); }
    hyperfine -N --warmup 50 --runs 1000 --export-json "$work/$case.json" "${cmds[@]}" > /dev/null 2>&1 \
        || hyperfine -N -i --warmup 50 --runs 1000 --export-json "$work/$case.json" "${cmds[@]}" > /dev/null 2>&1
    p=$(median "$work/$case.json" pngprobe)
    echo "== $case PNG ($(wc -c < "$file") bytes): medians in ms, ratio = pngprobe / other"
    for name in nothing_musl nothing_glibc read_million_musl "${peers[@]}"; do
        m=$(median "$work/$case.json" "$name")
        printf '  %-17s %8s ms   pngprobe/%s = %s\n' "$name" "$m" "$name" "$(python3 -c "print('%.2f' % ($p/$m))")"
    done
    printf '  %-17s %8s ms\n' pngprobe "$p"
    rss=$(/usr/bin/time -v "$tool" "$file" 2>&1 > /dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p')
    echo "  pngprobe peak resident memory: $rss KiB"
done
