#!/usr/bin/env bash
# End-to-end cases that only Windows has: files that another process holds
# open, with and without sharing, and the NUL device. The harness is
# e2e_lib.sh, as for e2e.sh.
#
#   e2e_windows.sh TOOL HOLD_FILE [EMULATOR ARGS...]
#
# HOLD_FILE is the helper that holds a file open as another Windows process
# (tests/hold_file.cpp), run through the same emulator.
set -u

tool=$1 hold_file=$2
shift 2
emulator=("$@")
eol=crlf
source "$(dirname "$0")/e2e_lib.sh"

# hold MODE FILE: runs the tool on FILE while the helper holds it open as
# MODE says (exclusive, shared or delete; see hold_file.cpp). The helper
# runs as the tool does, for run_limit seconds at most, and is waited for as long.
hold() {
    local mode=$1 file=$2 signal=$work/held.signal waited=0
    rm -f "$signal"
    run "$hold_file" "$file" "$mode" "$signal" 2> "$work/hold.err" &
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
report "file held open by another process that shares nothing" $? 1 "$cannot_open"
hold shared "$work/held.png"
report "file held open for writing by another process that shares it" $? 0 $'33\n'"$found_640x480"
hold delete "$work/held.png"
report "file held open with DELETE access by another process that shares everything" $? 0 $'33\n'"$found_640x480"
check "NUL device" 0 $'0\n'"$invalid" -- NUL

# What the tool asks of the system for a file, read from Wine's relay trace
# of its thread: one CreateFileW of the name, for reading (80000000),
# sharing reading, writing and deletion (7); one ReadFile; one WriteFile of
# the whole output; and the functions it looks up (GetProcAddress). A C
# runtime stream would add reads, and a line at a time would add writes.
(cd "$work" && WINEDEBUG=+relay run "$tool" minimal.png > "$work/out" 2> "$work/relay")
rc=$?
thread=$(grep -m 1 -F 'Call KERNEL32.CreateFileW(' "$work/relay" | grep -F 'L"minimal.png"' | cut -d: -f1)
calls=$(grep -E "^${thread:-none}:Call KERNEL32\.(CreateFileW|ReadFile|WriteFile|WriteConsoleW)\(" "$work/relay" |
    sed -E -e 's/^[^:]*:Call KERNEL32\.CreateFileW\([0-9a-f]* (L"[^"]*"),([0-9a-f]*),([0-9a-f]*).*/CreateFileW \1 \2 \3/' \
        -e 's/^[^:]*:Call KERNEL32\.([A-Za-z]*)\(.*/\1/' | tr '\n' ';')
: > "$work/err"
[ "$calls" = 'CreateFileW L"minimal.png" 80000000 00000007;ReadFile;WriteFile;' ] ||
    echo "calls from the tool: ${calls:-none seen}" > "$work/err"
# Each function it looks up has its row in windows_functions.txt, marked so.
while IFS= read -r name; do
    grep -qE "^[^ ]+ $name [0-9.]+ looked-up$" "$(dirname "$0")/windows_functions.txt" ||
        echo "looks up $name, which windows_functions.txt does not list as looked up" >> "$work/err"
done < <(sed -n "s/^${thread:-none}:Call KERNEL32\.GetProcAddress([0-9a-f]*,[0-9a-f]* \"\([^\"]*\)\").*/\1/p" "$work/relay")
report "one open sharing everything, one read, one write, listed look-ups" "$rc" 0 $'33\n'"$found_640x480"

# Long paths. A full path of MAX_PATH (260) characters or more opens on every
# Windows only in its extended-length form (\\?\Z:\dir\file), which the tool
# makes from the full path. Wine opens long paths without the prefix too, so
# here the open alone shows only a wrong conversion (a name that no longer
# opens), not a missing one: what shows that is the name that CreateFileW
# receives, which Wine's trace+file channel prints (cut after a few hundred
# characters, with "..." after the closing quote).
#
# reaches NAME WANT STATUS TEXT CASE: runs the tool on NAME and compares as
# check does, naming the case CASE; CreateFileW must have been given WANT.
reaches() {
    local name=$1 want=$2 status=$3 text=$4 case_name=$5 rc
    WINEDEBUG=trace+file run "$tool" "$name" > "$work/out" 2> "$work/trace"
    rc=$?
    : > "$work/err"
    # The names CreateFileW was given, unescaped, "..." marking a cut one.
    sed -n 's/.*:trace:file:CreateFileW L"\(.*\)"\(\.\.\.\)\{0,1\} [A-Z_ ]*creation .*/\1\2/p' "$work/trace" |
        sed 's/\\\\/\\/g' > "$work/names"
    local seen=false given
    while IFS= read -r given; do
        if [ "$given" = "$want" ] ||
            { [[ $given == *... ]] && [[ $want == "${given%...}"* ]]; }; then
            seen=true
        fi
    done < "$work/names"
    $seen || { echo "CreateFileW was not given $want; it was given:"; cat "$work/names"; } > "$work/err"
    report "$case_name" "$rc" "$status" "$text"
}
for length in 300 1000; do
    dir=$work/long$length
    while [ $((${#dir} + 14)) -lt "$length" ]; do
        dir=$dir/$(printf 'd%.0s' {1..100})
    done
    mkdir -p "$dir" && cp "$work/minimal.png" "$dir/minimal.png"
    file=$dir/minimal.png full=$(winpath "$dir/minimal.png")
    extended="\\\\?\\$full"
    reaches "$full" "$extended" 0 $'33\n'"$found_640x480" "full path of ${#full} characters"
    reaches "Z:$file" "$extended" 0 $'33\n'"$found_640x480" "full path of ${#full} characters, with forward slashes"
    relative=long$length/../${file#"$work"/}
    pushd "$work" > /dev/null || exit 2
    reaches "$relative" "$extended" 0 $'33\n'"$found_640x480" \
        "relative name with .. of ${#relative} characters, resolving to ${#full}"
    popd > /dev/null || exit 2
    # The executable in that folder: the usage line shows its whole path.
    cp "$tool" "$dir/pngprobe.exe"
    run "$dir/pngprobe.exe" > "$work/out" 2> "$work/err"
    report "usage line of an executable in a folder of ${#full} characters" $? 1 \
        "$(usage_line "$(winpath "$dir")\\pngprobe.exe")"$'\n'
    reaches "$extended" "$extended" 0 $'33\n'"$found_640x480" "name already in extended-length form"
    # The same forms written with forward slashes are normalized, as any
    # name but \\?\ is: the full path is already a device path, never UNC.
    reaches "//?/${full//\\//}" "$extended" 0 $'33\n'"$found_640x480" \
        "name in extended-length form with forward slashes, ${#extended} characters"
    reaches "//./${full//\\//}" "\\\\.\\$full" 0 $'33\n'"$found_640x480" \
        "name in device form with forward slashes, ${#extended} characters"
    # A network path, made \\?\UNC\server\share\...; no such server answers here.
    unc="\\\\pngprobe-test-server\\share${full#Z:}"
    reaches "$unc" "\\\\?\\UNC${unc#\\}" 1 "$cannot_open" "network path of ${#unc} characters"
done
# Every name but one that starts exactly \\?\ is normalized by Windows
# ('/' made '\', '.' and '..' resolved, doubled separators and trailing dots
# dropped), short or long; \??\ is the NT form, taken as it stands. Each
# opens the sample, as a plain CreateFileW of it does.
mkdir "$work/sub" "$dir/sub"
for folder in "$work" "$dir"; do
    win=$(winpath "$folder") size=short
    [ "$folder" = "$work" ] || size="${#win} characters"
    fwd=${win//\\//}
    # FORM|NAME
    for row in "//?/ with ..|//?/$fwd/sub/../minimal.png" "//?/ with .|//?/$fwd/./minimal.png" \
        "//?/ with a doubled separator|//?/$fwd//minimal.png" \
        "//?/ with a trailing dot|//?/$fwd/minimal.png." \
        "\\??\\ (NT form)|\\??\\$win\\minimal.png" "mixed separators|$win/sub\\../minimal.png"; do
        check "opens: ${row%%|*}, $size" 0 $'33\n'"$found_640x480" -- "${row#*|}"
    done
done

# A short name in a working folder of 256 characters, about the longest that
# Windows takes (MAX_PATH less 2, with its closing separator): the name's
# full path passes MAX_PATH, so it is opened in extended form.
deep=$work/$(printf 'w%.0s' $(seq $((256 - 3 - ${#work}))))
deep_win=$(winpath "$deep")
mkdir "$deep" && cp "$work/minimal.png" "$deep/minimal.png"
pushd "$deep" > /dev/null || exit 2
reaches minimal.png "\\\\?\\$deep_win\\minimal.png" 0 $'33\n'"$found_640x480" \
    "short name in a folder of ${#deep_win} characters"
popd > /dev/null || exit 2

# Shorter names, and devices, reach the system exactly as given.
short=$(winpath "$work/minimal.png")
reaches "$short" "$short" 0 $'33\n'"$found_640x480" "short full path, as given"
pushd "$work" > /dev/null || exit 2
reaches minimal.png minimal.png 0 $'33\n'"$found_640x480" "short relative name, as given"
popd > /dev/null || exit 2
reaches NUL NUL 0 $'0\n'"$invalid" "NUL device, as given"

# On 64-bit Windows a 32-bit program's C:\Windows\System32 is redirected to
# C:\Windows\SysWOW64; the tool turns that off for its open, so it reads the
# file the user named. Shown in a 64-bit Wine prefix of its own, with a
# 1920x1080 image in System32 and a 16x16 one of the same name in SysWOW64,
# and a 640x480 image in System32 alone.
pe_machine=$(od -An -tx2 -j "$(od -An -tu4 -j 60 -N4 "$tool" | tr -d ' ')" -N6 "$tool" | awk '{ print $3 }')
wine64=$(dirname "$0")/../cmake/wine64.sh
if [ "$pe_machine" != 014c ]; then
    skip "System32 as named, not SysWOW64" "not a 32-bit x86 executable: nothing is redirected"
elif [ ${#emulator[@]} -eq 0 ] || ! "$wine64" --how > /dev/null; then
    skip "System32 as named, not SysWOW64" "no 64-bit Wine here for a 64-bit prefix"
else
    # One 64-bit prefix for the preset's whole run, beside its own prefix:
    # made by the first suite that needs it (13 s), used again by the next.
    # Made through the emulator, as 32-bit Wine runs here (natively or under
    # qemu), so that its 32-bit half (SysWOW64) can be filled.
    prefix=${WINEPREFIX:-$work/prefix}64
    if ! WINEPREFIX=$prefix WINEARCH=win64 timeout 300 flock "$prefix.lock" "${emulator[@]}" wineboot --init \
        < /dev/null > "$work/wineboot64.log" 2>&1; then
        skip "System32 as named, not SysWOW64" "a 64-bit Wine prefix cannot be made here: $(tail -n 1 "$work/wineboot64.log")"
    else
        windows=$prefix/drive_c/windows
        bytes "$sig"'\x00\x00\x00\x0dIHDR\x00\x00\x07\x80\x00\x00\x04\x38\x08\x06\x00\x00\x00\x00\x00\x00\x00' > "$windows/system32/pngprobe-x.png"
        bytes "$sig"'\x00\x00\x00\x0dIHDR\x00\x00\x00\x10\x00\x00\x00\x10\x08\x02\x00\x00\x00\x00\x00\x00\x00' > "$windows/syswow64/pngprobe-x.png"
        bytes "$sig$ihdr_640x480" > "$windows/system32/pngprobe-y.png"
        # NAME|FILE|WIDTH HEIGHT DEPTH COLOUR
        for row in "System32 as named, not SysWOW64|System32\\pngprobe-x.png|1920 1080 8 6" \
            "a file in System32 alone|System32\\pngprobe-y.png|640 480 8 2" \
            "SysWOW64 as named|SysWOW64\\pngprobe-x.png|16 16 8 2"; do
            IFS='|' read -r name file values <<< "$row"
            read -r width height depth colour <<< "$values"
            WINEPREFIX=$prefix WINEARCH=win64 run "$tool" "C:\\Windows\\$file" > "$work/out" 2> "$work/err"
            report "$name, in a 64-bit prefix" $? 0 \
                "33"$'\n'"$(found "$width" "$height" "$depth" "$colour")"$'\n'
        done
    fi
    WINEPREFIX=$prefix WINEARCH=win64 timeout "$run_limit" "$wine64" --kill-server 2> /dev/null
fi

# The usage line carries the executable's path, the one text of the user's
# own that the tool prints. A copy of the tool in a folder named in Latin,
# Cyrillic and CJK letters, started without an argument:
#  - in a terminal, where Wine gives it a console (tmux makes the terminal,
#    capture-pane reads the screen): the screen must show the exact path,
#    whatever the console's code page. Wine's terminal console shows a
#    character outside the Basic Multilingual Plane wrongly even when it is
#    written in UTF-16 (an emoji comes out as two replacement characters), so
#    this folder's name has none;
#  - with standard output redirected to a file, from a folder whose name adds
#    an emoji: the path's UTF-8 bytes, with CR LF.
console_dir=$work/Jörg_Фото_日本
mkdir "$console_dir" "${console_dir}_😀"
cp "$tool" "$console_dir/pngprobe.exe"
cp "$tool" "${console_dir}_😀/pngprobe.exe"
if have tmux; then
    socket=$work/tmux.socket
    # The terminal's character set is UTF-8; Wine's environment is passed on
    # as the tests set it.
    wine_env=(LC_ALL=C.UTF-8)
    for name in WINEPREFIX WINEDEBUG WINEARCH WINEDLLOVERRIDES; do
        [ -n "${!name:-}" ] && wine_env+=("$name=${!name}")
    done
    # The terminal runs a script of bash's, whatever tmux's shell is.
    {
        printf 'cd %q || exit\n' "$console_dir"
        printf '%q ' env "${wine_env[@]}" "${emulator[@]}" ./pngprobe.exe
        printf '\necho "[exit $?]"\nsleep %s\n' "$helper_limit"
    } > "$work/console.sh"
    tmux -u -f /dev/null -S "$socket" new-session -d -x 400 -y 20 "bash $work/console.sh"
    for _ in $(seq 600); do
        tmux -S "$socket" capture-pane -p -J > "$work/screen" 2> /dev/null
        grep -q '^\[exit [0-9]*\]' "$work/screen" && break
        sleep 0.1
    done
    tmux -S "$socket" kill-server 2> /dev/null
    rc=$(sed -n 's/^\[exit \([0-9]*\)\].*/\1/p' "$work/screen" | head -1)
    # What the screen shows, each line without the blanks after it.
    sed 's/[[:space:]]*$//' "$work/screen" | grep -v '^\[exit ' | grep -v '^$' > "$work/out"
    : > "$work/err"
    eol=lf report "usage line on a console, in a folder of Latin, Cyrillic and CJK letters" "${rc:-125}" 1 \
        "$(usage_line "$(winpath "$console_dir")\\pngprobe.exe")"$'\n'
else
    skip "usage line on a console" "no tmux here"
fi
(cd "${console_dir}_😀" && run ./pngprobe.exe > "$work/out" 2> "$work/err")
report "usage line into a file, in a folder with an emoji in its name" $? 1 \
    "$(usage_line "$(winpath "${console_dir}_😀")\\pngprobe.exe")"$'\n'

e2e_summary
