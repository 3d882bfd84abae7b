#!/usr/bin/env bash
# Runs the README's cmd session (the ```bat block: "C:\images> command" lines,
# each followed by the output it shows) as a batch file in Wine's cmd.exe,
# with the built pngprobe.exe on the Windows PATH, in a folder holding the
# sample as sample.png and notes.txt; the output must be the one shown.
#
#   docs_cmd_test.sh TOOL SOURCE_DIR EMULATOR [ARGS...]
#
# Exits 77 (skipped) where the emulator cannot start.
set -u
tool=$(realpath "$1") source=$2
shift 2
emulator=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

timeout 60 "${emulator[@]}" cmd /c exit 0 > "$work/start.log" 2>&1
case $? in
    0) ;;
    77) cat "$work/start.log"; exit 77 ;;
    126 | 127) echo "cannot start ${emulator[0]} here: the cmd session is skipped"; exit 77 ;;
    *) echo "cmd.exe does not start:"; cat "$work/start.log"; exit 1 ;;
esac

session=$(awk '/^```bat$/ { on = 1; next } /^```/ { on = 0 } on' "$source/README.md")
[ -n "$session" ] || { echo "README.md has no cmd session"; exit 1; }
{
    echo '@echo off'
    sed -n 's/^C:\\images> //p' <<< "$session"
} | sed 's/$/\r/' > "$work/session.bat"
grep -v '^C:\\images> ' <<< "$session" > "$work/shown"

mkdir "$work/images" "$work/bin"
mv "$work/session.bat" "$work/images/session.bat"
cp "$source/examples/sample.png" "$work/images/sample.png"
printf 'hello\n' > "$work/images/notes.txt"
cp "$tool" "$work/bin/pngprobe.exe"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
(cd "$work/images" && WINEPATH=$(winpath "$work/bin") timeout 60 "${emulator[@]}" cmd /c session.bat \
    < /dev/null 2> "$work/err" | tr -d '\r' > "$work/printed")
if cmp -s "$work/shown" "$work/printed"; then
    echo "README cmd session: $(grep -c . "$work/shown") lines as shown"
    exit 0
fi
echo "FAIL: the README's cmd session printed other lines"
diff "$work/shown" "$work/printed"
cat "$work/err"
exit 1
