#!/usr/bin/env bash
# Runs the README's cmd session (the ```bat block: "C:\images> command" lines,
# each followed by the output it shows) as a batch file in Wine's cmd.exe,
# with the built pngprobe.exe on the Windows PATH, in a folder holding the
# sample as sample.png and notes.txt; the output must be the one shown, with
# CR LF line ends. The harness is e2e_lib.sh, which skips the run (77) where
# the emulator cannot start.
#
#   docs_cmd_test.sh TOOL SOURCE_DIR EMULATOR [ARGS...]
set -u
tool=$1 source=$2
shift 2
emulator=("$@")
eol=crlf
source "$(dirname "$0")/e2e_lib.sh"

session=$(awk '/^```bat$/ { on = 1; next } /^```/ { on = 0 } on' "$source/README.md")
mkdir "$work/images" "$work/bin"
{
    echo '@echo off'
    sed -n 's/^C:\\images> //p' <<< "$session"
} | sed 's/$/\r/' > "$work/images/session.bat"
cp "$source/examples/sample.png" "$work/images/sample.png"
printf 'hello\n' > "$work/images/notes.txt"
cp "$tool" "$work/bin/pngprobe.exe"
(cd "$work/images" && WINEPATH=$(winpath "$work/bin") run cmd /c session.bat < /dev/null > "$work/out" 2> "$work/err")
rc=$?
if [ -z "$session" ]; then
    echo "README.md has no cmd session" > "$work/err"
fi
report "the README's cmd session" "$rc" 0 "$(grep -v '^C:\\images> ' <<< "$session")"$'\n'

e2e_summary
