#!/usr/bin/env bash
# End-to-end cases of pngprobe that every platform shares: each runs the
# built tool on files written here and compares its standard output byte for
# byte, its standard error (always empty) and its exit status.
#
#   e2e.sh [--syscalls=pages|floor] [--no-argv-runner=HELPER] TOOL PLATFORM [EMULATOR ARGS...]
#
# PLATFORM is one word:
#   posix          Linux and other POSIX systems: LF line ends, and the cases
#                  that need a POSIX file system (symlinks, permissions, a
#                  FIFO, /dev/null, /dev/full, very long paths)
#   posix-no-proc  the same, for a build that does not read /proc, which
#                  shows an unfindable argument zero as given in the usage line
#   windows        CR LF line ends and Windows paths (Z: for / under Wine);
#                  e2e_windows.sh has the cases that only Windows has
# Without an emulator the tool runs natively; the first line of the output
# says which, and the closing line counts passed, failed and skipped cases.
#
# --syscalls says what strace must show of a native Linux run: "pages" (the
# default), the buffer's pages asked for up front; "floor" (a musl build),
# that and nothing beyond the system calls of a bare read.
# --no-argv-runner is a helper that starts a program with an empty argument
# vector (argc 0); without it that case is skipped. The sample image is the
# one shipped in examples/ beside this folder.
set -u

syscalls=pages no_argv_runner=""
while [ $# -gt 0 ]; do
    case $1 in
        --syscalls=pages | --syscalls=floor) syscalls=${1#*=} ;;
        --no-argv-runner=*) no_argv_runner=${1#*=} ;;
        -*) echo "e2e.sh: unknown option '$1'"; exit 2 ;;
        *) break ;;
    esac
    shift
done
[ $# -ge 2 ] || { echo "usage: e2e.sh [--syscalls=pages|floor] [--no-argv-runner=HELPER] TOOL PLATFORM [EMULATOR ARGS...]"; exit 2; }
tool=$1 platform=$2
shift 2
emulator=("$@")
case "$platform" in
    posix | posix-no-proc) eol=lf ;;
    windows) eol=crlf ;;
    *) echo "e2e.sh: unknown platform '$platform'"; exit 2 ;;
esac
sample=$(cd "$(dirname "$0")/../examples" && pwd)/sample.png
source "$(dirname "$0")/e2e_lib.sh"

# The usage line names the executable by its absolute path.
if [ "$platform" = windows ]; then
    tool_path=$(winpath "$tool")
else
    tool_path=$tool
fi
usage=$(usage_line "$tool_path")$'\n'
# usage_shown NAME: the usage line when argument zero is NAME and the tool
# cannot find itself there: a build without /proc shows NAME as given, one
# with /proc still shows its absolute path.
usage_shown() {
    if [ "$platform" = posix-no-proc ]; then
        usage_line "$1"
    else
        printf '%s' "$usage"
    fi
}

check "no argument" 1 "$usage" --
check "two arguments" 1 "$usage" -- "$work/minimal.png" "$work/minimal.png"
check "three arguments" 1 "$usage" -- a b c
# No options: an argument that looks like one is a name.
check "-- and a name, two arguments" 1 "$usage" -- -- "$work/minimal.png"
(cd "$work" && run "$tool" --help > "$work/out" 2> "$work/err")
report "--help from its folder, a name" $? 1 "$cannot_open"
cp "$work/minimal.png" "$work/-"
(cd "$work" && run "$tool" - > "$work/out" 2> "$work/err" < /dev/null)
report "- from its folder, a file, not standard input" $? 0 $'33\n'"$found_640x480"
(cd "$(dirname "$tool")" && run "./$(basename "$tool")" > "$work/out" 2> "$work/err")
report "usage when started by a relative name" $? 1 "$usage"
if [ ${#emulator[@]} -eq 0 ]; then
    PATH="$(dirname "$tool"):$PATH" timeout "$run_limit" "$(basename "$tool")" > "$work/out" 2> "$work/err"
    report "usage when started through PATH" $? 1 "$usage"
fi
if [ ${#emulator[@]} -eq 0 ] && [ "$platform" != windows ]; then
    ln -s "$tool" "$work/link-to-pngprobe"
    timeout "$run_limit" "$work/link-to-pngprobe" > "$work/out" 2> "$work/err"
    report "usage when started through a symlink" $? 1 "$usage"
    # Names that lead to no file: only a build that reads /proc still knows
    # its path; without /proc the name is shown as given.
    # One name is longer than any path, and its usage line longer than
    # PIPE_BUF: it must still arrive whole, in one write (strace shows it).
    long_name=$(printf 'n%.0s' {1..6000})
    trace=()
    have strace && trace=(strace -e trace=write -o "$work/trace")
    for name in no/such/dir/pngprobe not-on-any-path "$long_name"; do
        want=$(usage_shown "$name")$'\n'
        # shellcheck disable=SC2016  # expanded by the inner shell, from its arguments
        ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 timeout "$run_limit" "${trace[@]}" \
            bash -c 'PATH=/nonexistent exec -a "$0" "$1"' "$name" "$tool" > "$work/out" 2> "$work/err"
        rc=$?
        writes=$(grep -c '^write(1,' "$work/trace" 2> /dev/null)
        [ ${#trace[@]} -eq 0 ] || [ "$writes" = 1 ] || echo "written in ${writes:-no} writes" >> "$work/err"
        rm -f "$work/trace"
        report "usage when started by the unfindable name ${name:0:40}" $rc 1 "$want"
    done
    [ ${#trace[@]} -gt 0 ] || skip "usage lines in one write each" "no strace here"
    # PATH searched as the shell does: an entry that is missing, or holds a
    # file of the name that cannot be run or a folder of that name, is passed
    # over; an empty entry is the working directory; a link found there is
    # shown as the file it leads to. Each row starts the tool by its bare
    # name from FOLDER with PATH, where a working folder holding a decoy
    # program of the name would show the decoy's path.
    name=$(basename "$tool")
    mkdir -p "$work/noexec" "$work/folder/$name" "$work/linked" "$work/decoy"
    : > "$work/noexec/$name"
    ln -s "$tool" "$work/linked/$name"
    : > "$work/decoy/$name" && chmod +x "$work/decoy/$name"
    # WHAT|FOLDER|PATH
    for row in "an empty entry|$(dirname "$tool")|/nonexistent:$work/noexec:" \
        "a folder of its name|$work|$work/folder:$(dirname "$tool")" \
        "a link|$work|$work/linked" "a missing entry|$work/decoy|/nonexistent:$(dirname "$tool")"; do
        IFS='|' read -r what folder dirs <<< "$row"
        # shellcheck disable=SC2016  # expanded by the inner shell, from its arguments
        timeout "$run_limit" bash -c 'cd "$2" && PATH=$3 exec -a "$0" "$1"' "$name" "$tool" "$folder" "$dirs" \
            > "$work/out" 2> "$work/err"
        report "usage when found through PATH past $what" $? 1 "$usage"
    done
fi
if [ -n "$no_argv_runner" ]; then
    want=$(usage_shown pngprobe)$'\n'
    timeout "$run_limit" "$no_argv_runner" "$tool" > "$work/out" 2> "$work/err"
    report "empty argument vector" $? 1 "$want"
elif [ ${#emulator[@]} -eq 0 ] && [ "$platform" != windows ]; then
    skip "empty argument vector" "no --no-argv-runner helper given"
fi

check "missing file" 1 "$cannot_open" -- "$work/no such file.png"
check "missing directory on the path" 1 "$cannot_open" -- "$work/nope/minimal.png"
check "empty name" 1 "$cannot_open" -- ""
mkdir "$work/dir.png"
check "directory" 1 "$cannot_open" -- "$work/dir.png"
# Permissions bind every user but root, so root runs these two cases as the
# unprivileged user nobody, from a folder nobody can reach; the readable
# file shows that nobody can run the tool there at all.
if [ "$platform" != windows ]; then
    as_user=()
    if [ "$(id -u)" = 0 ]; then
        if have setpriv; then
            as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
        elif have runuser; then
            as_user=(runuser -u nobody --)
        fi
    fi
    if [ "$(id -u)" != 0 ] || [ ${#as_user[@]} -gt 0 ]; then
        chmod 711 "$work"
        mkdir -m 755 "$work/perm"
        cp "$tool" "$work/perm/pngprobe"
        bytes "$sig$ihdr_640x480" > "$work/perm/readable.png"
        bytes "$sig$ihdr_640x480" > "$work/perm/locked.png"
        chmod 644 "$work/perm/readable.png"
        chmod 000 "$work/perm/locked.png"
        # A coverage build writes its counts at exit: as nobody, to a folder
        # nobody may write (GCOV_PREFIX), not beside the build's own.
        mkdir -m 777 "$work/perm/gcov"
        # run_as_user FILE: the copy of the tool run on FILE as that user.
        run_as_user() {
            GCOV_PREFIX=$work/perm/gcov "${as_user[@]}" timeout "$run_limit" "${emulator[@]}" "$work/perm/pngprobe" \
                "$1" > "$work/out" 2> "$work/err"
        }
        run_as_user "$work/perm/readable.png"
        report "readable file${as_user[*]:+, as nobody}" $? 0 $'33\n'"$found_640x480"
        run_as_user "$work/perm/locked.png"
        report "no read permission${as_user[*]:+, as nobody}" $? 1 "$cannot_open"
    else
        skip "no read permission" "running as root, with neither setpriv nor runuser to run as another user"
    fi
fi

: > "$work/empty"
check "empty file" 0 $'0\n'"$invalid" -- "$work/empty"
bytes "$sig" > "$work/sig"
check "signature only" 0 $'8\n'"$invalid" -- "$work/sig"
check "signature and whole IHDR" 0 $'33\n'"$found_640x480" -- "$work/minimal.png"
ln -s minimal.png "$work/link.png"
check "file named through a symbolic link" 0 $'33\n'"$found_640x480" -- "$work/link.png"
# A name is never a pattern: Windows hands a program its arguments as typed.
for name in 'm*.png' 'minimal.pn?'; do
    check "the name $name, no pattern" 1 "$cannot_open" -- "$work/$name"
done
for size in 9 12 20 28 32; do
    head -c "$size" "$work/minimal.png" > "$work/cut"
    check "IHDR cut to $size bytes" 0 "$size"$'\n'"$invalid" -- "$work/cut"
done
bytes '\x89PNG\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x02\x80\x00\x00\x01\xe0\x08\x02\x00\x00\x00\xba\xb3\x4b\xb3' > "$work/lf.png"
check "signature with CR LF turned into LF" 0 $'32\n'"$invalid" -- "$work/lf.png"
bytes "$sig"'\x00\x00\x00\x04gAMA\x00\x00\xb1\x8f\x00\x00\x00\x00'"$ihdr_640x480" > "$work/later.png"
check "IHDR after another chunk" 0 $'49\n'"$found_640x480" -- "$work/later.png"
bytes "$sig"'\x00\x00\x00\x0dIHDR\xff\xff\xff\xff\x80\x00\x00\x00\xff\xff\x00\x00\x00\x00\x00\x00\x00' > "$work/extreme.png"
check "extreme values printed unsigned" 0 $'33\n'"$(found 4294967295 2147483648 255 255)"$'\n' -- "$work/extreme.png"
for length in '\xff\xff\xff\xff' '\xff\xff\xff\xf4' '\xff\xff\xff\xf8' '\xff\xff\xff\xf0'; do
    bytes "$sig$length"'tEXt\x00\x00\x00\x00'"$ihdr_640x480" > "$work/wrap.png"
    check "chunk length $length ends the scan" 0 $'45\n'"$invalid" -- "$work/wrap.png"
done

# A file longer than the read limit: only the first million bytes are read.
{ bytes "$sig$ihdr_640x480"'\x00\x10\x00\x00IDAT'; head -c 1200000 /dev/zero; } > "$work/large.png"
check "file over 1000000 bytes" 0 $'1000000\n'"$found_640x480" -- "$work/large.png"
head -c 1000000 "$work/large.png" > "$work/exact.png"
check "file of exactly 1000000 bytes" 0 $'1000000\n'"$found_640x480" -- "$work/exact.png"
# A header whose last byte is the millionth read, and one a byte further: a
# chunk of 0xf4213 (or 0xf4214) data bytes comes first.
for row in "13|$found_640x480" "14|$invalid"; do
    length=$((0xf4200 + 0x${row%%|*}))
    { bytes "$sig"'\x00\x0f\x42\x'"${row%%|*}IDAT"; head -c $((length + 4)) /dev/zero; bytes "$ihdr_640x480"; head -c 9 /dev/zero; } > "$work/edge.png"
    check "IHDR ending at byte $((length + 45))" 0 $'1000000\n'"${row#*|}" -- "$work/edge.png"
done

# Text is read in binary mode: CR LF pairs and a ^Z are counted, not translated.
bytes 'first line\r\nsecond line\r\n\x1aafter the end-of-file marker\n' > "$work/notes.txt"
check "text file" 0 $'55\n'"$invalid" -- "$work/notes.txt"

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
for size in 3G 5G $(((4 << 30) + 33)); do
    bytes "$sig$ihdr_640x480" > "$work/huge.png"
    if truncate -s "$size" "$work/huge.png" 2> /dev/null &&
        [ $(($(stat -c '%b * %B' "$work/huge.png"))) -lt 1048576 ]; then
        run "$tool" "$work/huge.png" > "$work/out" 2> "$work/err"
        rc=$?
        rm -f "$work/huge.png"
        report "sparse file of $size" "$rc" 0 $'1000000\n'"$found_640x480"
    else
        rm -f "$work/huge.png"
        skip "sparse file of $size" "the file system cannot hold one here"
    fi
done

# Under qemu-user the sparse-file cases cannot fail: qemu hands the open to
# this machine's 64-bit kernel, which takes a file of any size. What still
# shows is the open's flags (qemu's -strace): a 32-bit program built without
# 64-bit file offsets opens without O_LARGEFILE, and a 32-bit kernel would
# then refuse a file over 2 GiB. 64-bit programs need no such flag.
if [ ${#emulator[@]} -gt 0 ] && [[ $(basename "${emulator[0]}") == qemu-* ]] &&
    [ "$(od -An -tx1 -j4 -N1 "$tool" | tr -d ' ')" = 01 ]; then  # ELFCLASS32
    timeout "$run_limit" "${emulator[0]}" -strace "${emulator[@]:1}" "$tool" "$work/minimal.png" \
        > "$work/out" 2> "$work/strace"
    rc=$?
    opens=$(grep -F "\"$work/minimal.png\"" "$work/strace")
    [[ $opens == *O_LARGEFILE* ]] && : > "$work/err" ||
        echo "opened without O_LARGEFILE: ${opens:-no open of the file seen}" > "$work/err"
    report "open with large-file support (qemu -strace)" "$rc" 0 $'33\n'"$found_640x480"
fi

sample_found="$(wc -c < "$sample")"$'\n'"$(found 64 48 8 2)"$'\n'
check "shipped sample" 0 "$sample_found" -- "$sample"

# What only a real file system shows: a FIFO is read until its writer closes
# it, a device reads as empty, paths can be very long.
if [ "$platform" != windows ]; then
    # The tool reads to the end, so its writer is done when it ends; one still
    # waiting for a reader (a tool that never opened the FIFO, or that could
    # not start) is ended with it, and the case fails instead of hanging.
    mkfifo "$work/fifo"
    # shellcheck disable=SC2016  # expanded by the inner shell, from its arguments
    timeout "$helper_limit" bash -c 'printf "$1" > "$2"' - "$sig$ihdr_640x480" "$work/fifo" &
    check "FIFO" 0 $'33\n'"$found_640x480" -- "$work/fifo"
    kill $! 2> /dev/null
    wait
    check "/dev/null" 0 $'0\n'"$invalid" -- /dev/null
    check "/dev/zero" 0 $'1000000\n'"$invalid" -- /dev/zero
    # A file that opens but cannot be read: the read error ends the read
    # with nothing received (Linux: address 0 of the tool's own memory).
    if [ ${#emulator[@]} -eq 0 ] && [ -r /proc/self/mem ]; then
        check "read error" 0 $'0\n'"$invalid" -- /proc/self/mem
    fi
    long=$work
    while [ ${#long} -lt 3000 ]; do
        long=$long/$(printf 'd%.0s' {1..200})
        mkdir "$long"
    done
    cp "$work/minimal.png" "$long/minimal.png"
    check "path of ${#long} bytes" 0 $'33\n'"$found_640x480" -- "$long/minimal.png"
    check "path longer than the system allows" 1 "$cannot_open" -- "$(printf '%s' "$long$long")/minimal.png"
fi

# On Linux the tool asks the kernel up front for the buffer's pages that the
# read will fill: as many as the file's first million bytes take (one more
# where the buffer starts inside a page), none for a device or an empty file.
# strace shows the request whether or not the kernel grants it.
#
# With --syscalls=floor (a musl build) the tool must also make no system
# call after start-up beyond what reading a file needs at all: from the open
# of the input on, only open, fstat, the page request, read, close, the
# writes of the output (musl asks once whether standard output is a
# terminal) and exit; so no heap (brk, mmap) and, for a regular file, one
# read. A C library stream on the input shows here as its allocation and its
# extra read.
#
# pages_case FILE TEXT [WRITER...]: the pages asked for before the read of
# FILE, and the tool's output all the same. WRITER, where given, is started
# in the background just before the tool (a FIFO's writer), only when the
# case runs, and ended with it, as in the FIFO case above.
pages_case() {
    local file=$1 text=$2 name
    name="system calls reading $(basename "$1")"
    shift 2
    if ! have strace; then
        skip "$name" "no strace here"
        return
    fi
    local page size=0 least asked rc calls writer=""
    page=$(getconf PAGESIZE)
    [ -f "$file" ] && size=$(stat -c %s "$file")
    [ "$size" -gt 1000000 ] && size=1000000
    least=$(((size + page - 1) / page))
    if [ $# -gt 0 ]; then
        "$@" &
        writer=$!
    fi
    # LeakSanitizer cannot run under ptrace; the sanitizer builds leave it out.
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
        timeout "$run_limit" strace -s 4096 -o "$work/trace" "$tool" "$file" > "$work/out" 2> "$work/err"
    rc=$?
    [ -n "$writer" ] && { kill "$writer" 2> /dev/null; wait "$writer"; }
    asked=$(awk -F', ' -v page="$page" '/^madvise\(.*(MADV_POPULATE_WRITE|0x17)/ { n += $2 / page } END { print n + 0 }' "$work/trace")
    if [ "$asked" -lt "$least" ] || [ "$asked" -gt $((least + (least > 0))) ]; then
        echo "asked for $asked pages of $page bytes before reading $size bytes" >> "$work/err"
    fi
    if [ "$syscalls" = floor ]; then
        # The calls from the input's open on, by name, in order.
        calls=$(awk -v file="\"$file\"" 'index($0, file) && /^open/ { on = 1 } on && !/^\+\+\+/ { sub(/\(.*/, ""); print }' \
            "$work/trace" | tr '\n' ' ')
        local reads='{1}'
        [ -f "$file" ] || reads=+  # a pipe gives what its writer has written
        if ! [[ " $calls" =~ ^\ open(at)?\ (fstat|fstat64|newfstatat|fstatat64|statx)\ (madvise\ )?(read\ )${reads}close\ write\ exit_group\ $ ]]; then
            echo "system calls after start-up: ${calls:-no open of the file seen}" >> "$work/err"
        fi
    fi
    report "$name" "$rc" 0 "$text"
}
if [ ${#emulator[@]} -eq 0 ] && [ "$(uname -s)" = Linux ] && [ "$platform" != windows ]; then
    pages_case "$work/minimal.png" $'33\n'"$found_640x480"
    pages_case "$sample" "$sample_found"
    pages_case "$work/large.png" $'1000000\n'"$found_640x480"
    pages_case /dev/zero $'1000000\n'"$invalid"
    pages_case "$work/empty" $'0\n'"$invalid"
    # A writer that writes in two parts: the read goes on after the first.
    mkfifo "$work/fifo2"
    # shellcheck disable=SC2016  # expanded by the inner shell, from its arguments
    pages_case "$work/fifo2" $'33\n'"$found_640x480" \
        timeout "$helper_limit" bash -c 'exec > "$3"; printf "$1"; sleep 0.3; printf "$2"' - "$sig" "$ihdr_640x480" "$work/fifo2"
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
# A device that takes everything (NUL on Windows) is no console.
run "$tool" "$work/minimal.png" > /dev/null 2> "$work/err"
rc=$?
: > "$work/out"
report "standard output to /dev/null" "$rc" 0 ""

if [ "$platform" != windows ]; then
    # A reader that has gone: the write raises SIGPIPE, as for any command
    # (status 128 + 13), unless the signal is ignored, when it fails (1).
    want_rc=141
    if grep -qE '^SigIgn:.*[13579bdf][0-9a-f]{3}$' /proc/self/status 2> /dev/null; then
        want_rc=1  # SIGPIPE ignored, and so for the tool too: the write fails
    fi
    # A FIFO opened for writing while a reader held it, then left without
    # one: the pipe's reader is gone before the tool starts, with no race.
    mkfifo "$work/gone"
    exec {reader}<> "$work/gone"
    exec {writer}> "$work/gone"
    exec {reader}<&-
    run "$tool" "$work/minimal.png" 1>&"$writer" 2> "$work/err"
    rc=$?
    exec {writer}>&-
    : > "$work/out"
    report "standard output a pipe whose reader has gone" "$rc" "$want_rc" ""
fi

# Runs in parallel into one pipe: each run's output is one write, so no
# run's lines are split by another's (a pipe write of at most PIPE_BUF
# bytes is atomic). 400 runs of the sample, 16 at a time; any split shows
# as a line out of its three-line record.
if [ ${#emulator[@]} -eq 0 ]; then
    seq 400 | timeout "$helper_limit" xargs -P 16 -I{} "$tool" "$sample" 2> "$work/err" |
        awk -v count="$(wc -c < "$sample")" 'NR % 3 == 1 && $0 != count { bad++ } NR % 3 == 2 && !/^width: / { bad++ }
             NR % 3 == 0 && !/^bit_depth: / { bad++ } END { print NR " lines, " bad + 0 " out of place" }' > "$work/out"
    report "400 runs in parallel into one pipe" 0 0 $'1200 lines, 0 out of place\n'
fi

e2e_summary
