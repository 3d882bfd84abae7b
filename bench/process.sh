#!/usr/bin/env bash
# Whole-process benchmark: pngprobe against the floors any process of its
# kind stands on and the peer tools installed, on a small PNG and a 3 MB one,
# each pair timed in turn, A B A B (bench/pair.c), so that a drift in the
# machine's speed falls on both alike. Prints both medians, the median
# pngprobe/other ratio pair by pair, and pngprobe's peak memory (GNU time).
#
#   bench/process.sh [PNGPROBE] [RUNS]   (default build/linux-musl/pngprobe, 1000)
#
# The floors are static musl programs of a few lines:
#   nothing_musl      returns at once: the cost of a process at all
#   nothing_glibc     the same against glibc
#   read_million      fopen, fread of a million bytes, fclose: the naive read
#   page_floor        open, fstat, the buffer's pages populated in one call
#                     (Linux 5.14), one read, close: what the design allows
# Needs cc, musl-gcc and GNU time (.ci/packages); the peers are timed
# where installed (pngcheck, pngtools' pnginfo, file).
set -euo pipefail
cd "$(dirname "$0")/.."
tool=$(realpath "${1:-build/linux-musl/pngprobe}")
runs=${2:-1000}
for need in musl-gcc /usr/bin/time; do
    command -v $need > /dev/null || { echo "needs $need (see .ci/packages)"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

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
cat > "$work/page_floor.c" <<'C'
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
static unsigned char buffer[1000000];
int main(int argc, char **argv) {
    int fd = argc > 1 ? open(argv[1], O_RDONLY) : -1;
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) return 1;
    size_t size = (uintmax_t)st.st_size < sizeof buffer ? (size_t)st.st_size : sizeof buffer;
    uintptr_t mask = (uintptr_t)sysconf(_SC_PAGESIZE) - 1;
    uintptr_t first = (uintptr_t)buffer & ~mask, end = ((uintptr_t)buffer + size + mask) & ~mask;
    madvise((void *)first, end - first, 23 /* MADV_POPULATE_WRITE */);
    ssize_t n = read(fd, buffer, sizeof buffer);
    close(fd);
    printf("%d\n", (int)n);
    return 0;
}
C
musl-gcc -O2 -static -o "$work/nothing_musl" "$work/nothing.c"
cc -O2 -static -o "$work/nothing_glibc" "$work/nothing.c"
musl-gcc -O2 -static -o "$work/read_million" "$work/read_million.c"
musl-gcc -O2 -static -o "$work/page_floor" "$work/page_floor.c"
cc -O2 -o "$work/pair" bench/pair.c

small=examples/sample.png
large=$work/large.png
{ head -c 33 "$small"; printf '\x00\x2d\xc6\xc0IDAT'; head -c 3000004 /dev/urandom; printf '\x00\x00\x00\x00IEND\xaeB`\x82'; } > "$large"

# Figures this small depend on the machine: on a virtual machine a page
# fault may trap to the host, so say which one they come from.
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo 2> /dev/null | head -1)
echo "machine: $(nproc) cores${cpu:+ ($cpu)}, $(free -g | awk '/^Mem:/ { print $2 }') GiB," \
    "$(uname -s) $(uname -r), $(. /etc/os-release 2> /dev/null && echo "$PRETTY_NAME")"
echo "pngprobe: $tool ($(wc -c < "$tool") bytes); $runs pairs each, after 20 warm-up pairs"

for case in small large; do
    file=${!case}
    echo "== $case PNG ($(wc -c < "$file") bytes): medians in µs; ratio = median of pngprobe/other, pair by pair"
    printf '  %-14s %10s %10s %7s\n' other other pngprobe ratio
    others=(nothing_musl nothing_glibc read_million page_floor)
    for peer in pngcheck pnginfo file; do
        command -v $peer > /dev/null && others+=("$peer")
    done
    for other in "${others[@]}"; do
        case $other in
            nothing_*) cmd=("$work/$other") ;;
            read_million | page_floor) cmd=("$work/$other" "$file") ;;
            *) cmd=("$other" "$file") ;;
        esac
        read -r a b ratio < <("$work/pair" "$runs" 20 "$tool" "$file" --vs "${cmd[@]}")
        printf '  %-14s %10s %10s %7s\n' "$other" "$b" "$a" "$ratio"
    done
    rss=$(/usr/bin/time -v "$tool" "$file" 2>&1 > /dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p')
    echo "  pngprobe peak resident memory: $rss KiB"
done
