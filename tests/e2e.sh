#!/usr/bin/env bash
# End-to-end checks of pngprobe: runs the built tool on files written here and
# compares its standard output byte for byte, its standard error (always
# empty) and its exit status.
#
#   e2e.sh TOOL [EMULATOR ARGS...]
#
# Without an emulator the tool runs natively; the first line of the output
# says which. The closing line counts passed, failed and skipped cases.
#
# Environment: PNGPROBE_EOL=crlf where standard output is a text stream that
# writes CR LF (Windows); PNGPROBE_WINDOWS=1 for Windows paths;
# PNGPROBE_NO_ARGV_RUNNER, a helper that starts a program with argc 0;
# PNGPROBE_SAMPLE, the sample PNG shipped with the project; on Windows
# PNGPROBE_HOLD_FILE, a helper that holds a file open as another process.
set -u

tool=$(realpath "$1")
shift
emulator=("$@")
eol=${PNGPROBE_EOL:-lf}
windows=${PNGPROBE_WINDOWS:-0}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
skipped=0
if [ ${#emulator[@]} -gt 0 ]; then
    echo "e2e: $tool under ${emulator[*]}"
else
    echo "e2e: $tool, run natively"
fi

# Expected text with \n as the target's text line end.
expected() {
    if [ "$eol" = crlf ]; then
        printf '%s' "$1" | sed 's/$/\r/'
    else
        printf '%s' "$1"
    fi
}

run() {
    timeout 60 "${emulator[@]}" "$@"
}

# An emulator that cannot run on this machine says so and exits 77: the
# whole run is then skipped, never passed.
if [ ${#emulator[@]} -gt 0 ]; then
    run "$tool" > "$work/out" 2>&1
    if [ $? -eq 77 ]; then
        cat "$work/out"
        exit 77
    fi
fi

# check NAME STATUS TEXT -- ARGS...: runs the tool with ARGS.
check() {
    local name=$1 status=$2 text=$3
    shift 4
    run "$tool" "$@" > "$work/out" 2> "$work/err"
    report "$name" $? "$status" "$text"
}

# report NAME RC STATUS TEXT: compares what the last run left in out and err.
report() {
    local name=$1 rc=$2 status=$3 text=$4
    expected "$text" > "$work/want"
    if [ "$rc" -eq "$status" ] && cmp -s "$work/out" "$work/want" && [ ! -s "$work/err" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $name (status $rc, want $status)"
        echo "  stdout:"; od -c "$work/out" | sed 's/^/    /'
        echo "  wanted:"; od -c "$work/want" | sed 's/^/    /'
        [ -s "$work/err" ] && { echo "  stderr:"; sed 's/^/    /' "$work/err"; }
    fi
}

# File makers. bytes writes printf escapes as raw bytes.
bytes() { printf "$@"; }
sig='\x89PNG\r\n\x1a\n'
ihdr_640x480='\x00\x00\x00\x0dIHDR\x00\x00\x02\x80\x00\x00\x01\xe0\x08\x02\x00\x00\x00\xba\xb3\x4b\xb3'
found_640x480=$'width: 640 px, height: 480 px\nbit_depth: 8, color_type: 2\n'

# The usage line names the executable by its absolute path.
if [ "$windows" = 1 ]; then
    tool_path="Z:${tool//\//\\}"
else
    tool_path=$tool
fi
usage="Usage: $tool_path <png file>"$'\n'
# usage_shown NAME: the usage line when argument zero is NAME and the tool
# cannot find itself there: a build without /proc shows NAME as given, one
# with /proc still shows its absolute path.
usage_shown() {
    if [ "${PNGPROBE_NO_PROC:-0}" = 1 ]; then
        printf 'Usage: %s <png file>\n' "$1"
    else
        printf '%s' "$usage"
    fi
}

bytes "$sig$ihdr_640x480" > "$work/minimal.png"

check "no argument" 1 "$usage" --
check "two arguments" 1 "$usage" -- "$work/minimal.png" "$work/minimal.png"
check "three arguments" 1 "$usage" -- a b c
(cd "$(dirname "$tool")" && run "./$(basename "$tool")" > "$work/out" 2> "$work/err")
report "usage when started by a relative name" $? 1 "$usage"
if [ ${#emulator[@]} -eq 0 ]; then
    PATH="$(dirname "$tool"):$PATH" "$(basename "$tool")" > "$work/out" 2> "$work/err"
    report "usage when started through PATH" $? 1 "$usage"
fi
if [ ${#emulator[@]} -eq 0 ] && [ "$windows" != 1 ]; then
    ln -s "$tool" "$work/link-to-pngprobe"
    "$work/link-to-pngprobe" > "$work/out" 2> "$work/err"
    report "usage when started through a symlink" $? 1 "$usage"
    # Names that lead to no file: only a build that reads /proc still knows
    # its path; without /proc the name is shown as given.
    for name in no/such/dir/pngprobe not-on-any-path; do
        want=$(usage_shown "$name")$'\n'
        (PATH=/nonexistent exec -a "$name" "$tool") > "$work/out" 2> "$work/err"
        report "usage when started by the unfindable name $name" $? 1 "$want"
    done
    # PATH searched as the shell does: entries without the program, or with
    # a file of its name that cannot be run, are passed over, and an empty
    # entry is the working directory.
    mkdir "$work/noexec" && : > "$work/noexec/$(basename "$tool")"
    (cd "$(dirname "$tool")" && PATH="/nonexistent:$work/noexec:" exec -a "$(basename "$tool")" "$tool") > "$work/out" 2> "$work/err"
    report "usage when found through an empty PATH entry" $? 1 "$usage"
fi
if [ -n "${PNGPROBE_NO_ARGV_RUNNER:-}" ]; then
    want=$(usage_shown pngprobe)$'\n'
    "$PNGPROBE_NO_ARGV_RUNNER" "$tool" > "$work/out" 2> "$work/err"
    report "empty argument vector" $? 1 "$want"
fi

check "missing file" 1 $'Cannot open file\n' -- "$work/no such file.png"
check "missing directory on the path" 1 $'Cannot open file\n' -- "$work/nope/minimal.png"
check "empty name" 1 $'Cannot open file\n' -- ""
mkdir "$work/dir.png"
check "directory" 1 $'Cannot open file\n' -- "$work/dir.png"
if [ "$windows" != 1 ] && [ "$(id -u)" != 0 ]; then
    bytes "$sig$ihdr_640x480" > "$work/locked.png"
    chmod 000 "$work/locked.png"
    check "no read permission" 1 $'Cannot open file\n' -- "$work/locked.png"
fi

: > "$work/empty"
check "empty file" 0 $'0\ninvalid png\n' -- "$work/empty"
bytes "$sig" > "$work/sig"
check "signature only" 0 $'8\ninvalid png\n' -- "$work/sig"
check "signature and whole IHDR" 0 $'33\n'"$found_640x480" -- "$work/minimal.png"
for size in 9 12 20 28 32; do
    head -c "$size" "$work/minimal.png" > "$work/cut"
    check "IHDR cut to $size bytes" 0 "$size"$'\ninvalid png\n' -- "$work/cut"
done
bytes '\x89PNG\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x02\x80\x00\x00\x01\xe0\x08\x02\x00\x00\x00\xba\xb3\x4b\xb3' > "$work/lf.png"
check "signature with CR LF turned into LF" 0 $'32\ninvalid png\n' -- "$work/lf.png"
bytes "$sig"'\x00\x00\x00\x04gAMA\x00\x00\xb1\x8f\x00\x00\x00\x00'"$ihdr_640x480" > "$work/later.png"
check "IHDR after another chunk" 0 $'49\n'"$found_640x480" -- "$work/later.png"
bytes "$sig"'\x00\x00\x00\x0dIHDR\xff\xff\xff\xff\x80\x00\x00\x00\xff\xff\x00\x00\x00\x00\x00\x00\x00' > "$work/extreme.png"
check "extreme values printed unsigned" 0 $'33\nwidth: 4294967295 px, height: 2147483648 px\nbit_depth: 255, color_type: 255\n' -- "$work/extreme.png"
for length in '\xff\xff\xff\xff' '\xff\xff\xff\xf4' '\xff\xff\xff\xf8' '\xff\xff\xff\xf0'; do
    bytes "$sig$length"'tEXt\x00\x00\x00\x00'"$ihdr_640x480" > "$work/wrap.png"
    check "chunk length $length ends the scan" 0 $'45\ninvalid png\n' -- "$work/wrap.png"
done

# A file longer than the read limit: only the first million bytes are read.
{ bytes "$sig$ihdr_640x480"'\x00\x10\x00\x00IDAT'; head -c 1200000 /dev/zero; } > "$work/large.png"
check "file over 1000000 bytes" 0 $'1000000\n'"$found_640x480" -- "$work/large.png"
head -c 1000000 "$work/large.png" > "$work/exact.png"
check "file of exactly 1000000 bytes" 0 $'1000000\n'"$found_640x480" -- "$work/exact.png"

# Text is read in binary mode: CR LF pairs and a ^Z are counted, not translated.
bytes 'first line\r\nsecond line\r\n\x1aafter the end-of-file marker\n' > "$work/notes.txt"
check "text file" 0 $'55\ninvalid png\n' -- "$work/notes.txt"

# Names in any script, also outside the Basic Multilingual Plane (UTF-16
# surrogate pairs on Windows) and outside any ANSI code page.
mkdir -p "$work/dir with spaces"
for name in café_日本.png café.png фото.png 日本語の画像.png '😀 picture.png'; do
    cp "$work/minimal.png" "$work/dir with spaces/$name"
    check "path with spaces and the name $name" 0 $'33\n'"$found_640x480" -- "$work/dir with spaces/$name"
done

# Files over 2 GiB and over 4 GiB, which a 32-bit program opens only with
# 64-bit file offsets: only their first million bytes are read. They are
# sparse, so they take no disk space, and each is removed at once; where the
# file system cannot hold such a file the case is skipped, not passed.
for size in 3G 5G; do
    bytes "$sig$ihdr_640x480" > "$work/huge.png"
    if truncate -s "$size" "$work/huge.png" 2> /dev/null &&
        [ $(($(stat -c '%b * %B' "$work/huge.png"))) -lt 1048576 ]; then
        run "$tool" "$work/huge.png" > "$work/out" 2> "$work/err"
        rc=$?
        rm -f "$work/huge.png"
        report "sparse file of $size" "$rc" 0 $'1000000\n'"$found_640x480"
    else
        rm -f "$work/huge.png"
        skipped=$((skipped + 1))
        echo "SKIPPED: sparse file of $size (the file system cannot hold one here)"
    fi
done

if [ -n "${PNGPROBE_SAMPLE:-}" ]; then
    check "shipped sample" 0 "$(wc -c < "$PNGPROBE_SAMPLE")"$'\nwidth: 64 px, height: 48 px\nbit_depth: 8, color_type: 2\n' -- "$PNGPROBE_SAMPLE"
fi

# What only a real file system shows: a FIFO gives what its one read
# gathered, a device reads as empty, paths can be very long.
if [ "$windows" != 1 ]; then
    mkfifo "$work/fifo"
    bytes "$sig$ihdr_640x480" > "$work/fifo" &
    check "FIFO" 0 $'33\n'"$found_640x480" -- "$work/fifo"
    wait
    check "/dev/null" 0 $'0\ninvalid png\n' -- /dev/null
    long=$work
    while [ ${#long} -lt 3000 ]; do
        long=$long/$(printf 'd%.0s' {1..200})
        mkdir "$long"
    done
    cp "$work/minimal.png" "$long/minimal.png"
    check "path of ${#long} bytes" 0 $'33\n'"$found_640x480" -- "$long/minimal.png"
    check "path longer than the system allows" 1 $'Cannot open file\n' -- "$(printf '%s' "$long$long")/minimal.png"
fi

# What only Windows shows: share modes of files that another process holds
# open, and the NUL device.
if [ "$windows" = 1 ] && [ -n "${PNGPROBE_HOLD_FILE:-}" ]; then
    # hold MODE FILE: runs the tool on FILE while the helper holds it open for
    # writing with the given share mode.
    hold() {
        local mode=$1 file=$2 signal=$work/held.signal waited=0
        rm -f "$signal"
        run "$PNGPROBE_HOLD_FILE" "$file" "$mode" "$signal" 2> "$work/hold.err" &
        local holder=$!
        while [ ! -e "$signal" ] && [ $waited -lt 600 ] && kill -0 $holder 2> /dev/null; do
            sleep 0.1
            waited=$((waited + 1))
        done
        local rc=125  # a status no case expects: the file was never held
        if [ -e "$signal" ]; then
            run "$tool" "$file" > "$work/out" 2> "$work/err"
            rc=$?
        else
            echo "hold_file did not take $file"
            cat "$work/hold.err"
        fi
        rm -f "$signal"
        wait $holder
        return $rc
    }
    cp "$work/minimal.png" "$work/held.png"
    hold exclusive "$work/held.png"
    report "file held open by another process that shares nothing" $? 1 $'Cannot open file\n'
    hold shared "$work/held.png"
    report "file held open for writing by another process that shares it" $? 0 $'33\n'"$found_640x480"
    check "NUL device" 0 $'0\ninvalid png\n' -- NUL
fi

# Output that cannot be written is a failure, not a success.
if [ -w /dev/full ]; then
    run "$tool" "$work/minimal.png" > /dev/full 2> "$work/err"
    rc=$?
    : > "$work/out"
    report "standard output on a full device" "$rc" 1 ""
fi
run "$tool" "$work/minimal.png" >&- 2> "$work/err"
rc=$?
: > "$work/out"
report "standard output closed" "$rc" 1 ""

echo "e2e: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
