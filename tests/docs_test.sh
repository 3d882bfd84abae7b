#!/usr/bin/env bash
# Checks that the documents show exactly what the tool and the project are:
#  - every example session ("$ command" lines, each followed by the output
#    it shows) in README.md and the rendered manual page is run in a scratch
#    folder with the built tool on PATH, and its real output must equal the
#    output shown;
#  - the manual's directory loop is run on the files its text describes;
#  - every output format (tests/expected_output.sh) must stand as a line of the
#    rendered manual page and in the README, and, with its placeholders
#    filled in, be a line the tool really prints;
#  - the version (project(VERSION) in CMakeLists.txt) is the top released
#    entry of CHANGELOG.md, and every versioned name in
#    README.md and CONTRIBUTING.md (the release's artifacts, the library's
#    PNGPROBE_VERSION) carries it; the manual page is dated as the
#    changelog's top released entry.
#
#   docs_test.sh TOOL SOURCE_DIR MANUAL_PAGE VERSION
set -u
tool=$(realpath "$1") source=$2 manual=$3 version=$4
# The manual is read as groff renders it: without groff, skipped (77).
groff_path=$(type -P groff)
if ! [ -x "$groff_path" ]; then
    echo "no groff here: the documents are not checked"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
ln -s "$tool" "$work/bin/pngprobe"
export PATH="$work/bin:$PATH"
passed=0
failed=0
fail() {
    failed=$((failed + 1))
    echo "FAIL: $1"
    shift
    printf '  %s\n' "$@"
}

# The manual as a reader sees it: rendered, without bold or underlining.
groff -man -Tutf8 -P-cbou "$manual" 2> "$work/man.err" > "$work/man.txt"
[ -s "$work/man.err" ] && fail "man reports" "$(cat "$work/man.err")"

# readme_sessions FILE, manual_sessions FILE: turn the example blocks of the
# README and of the rendered manual into "$ command" and output lines, one
# block after another, blocks ended by a line "@end".
readme_sessions() {
    awk '/^```/ { if (inblock) print "@end"; inblock = !inblock; next }
         inblock' "$1" | awk '/^\$ / { seen = 1 } { buf = buf $0 "\n" }
         /^@end$/ { if (seen) printf "%s", buf; buf = ""; seen = 0 }'
}
manual_sessions() {
    # Example blocks are the lines indented deeper than the prose.
    awk '/^EXAMPLES/ { on = 1; next } /^[A-Z]/ { on = 0 }
         on && /^              / { sub(/^              /, ""); print; inblock = 1; next }
         on && inblock { print "@end"; inblock = 0 }' "$1"
}

# run_sessions NAME: runs the "$ command" lines read from standard input in
# the scratch folder and compares each one's output with the lines shown.
run_sessions() {
    local name=$1 line cmd="" want=""
    check_one() {
        [ -n "$cmd" ] || return 0
        local got
        got=$(cd "$work/files" && bash -c "$cmd" 2>&1)
        if [ "$got" = "${want%$'\n'}" ]; then
            passed=$((passed + 1))
        else
            fail "$name: \$ $cmd" "shown:" "${want%$'\n'}" "printed:" "$got"
        fi
        cmd="" want=""
    }
    while IFS= read -r line; do
        case $line in
            '$ '*) check_one; cmd=${line#\$ } ;;
            @end) check_one ;;
            *) [ -n "$cmd" ] && want+=$line$'\n' ;;
        esac
    done
    check_one
}

mkdir -p "$work/files/examples"
cp "$source/examples/sample.png" "$work/files/examples/"
readme_sessions "$source/README.md" > "$work/readme.sessions"
manual_sessions "$work/man.txt" > "$work/man.sessions"
for doc in readme man; do
    [ "$(grep -c '^\$ ' "$work/$doc.sessions")" -ge 3 ] || fail "$doc: fewer than 3 examples found"
done
run_sessions README < "$work/readme.sessions"
run_sessions manual < <(grep -v '^for f in\|^    \|^done$' "$work/man.sessions")

# The manual's loop, on the files its text names: min.png and notes.txt from
# the examples above, notes.png a copy of notes.txt, old.png a directory.
script=$(sed -n '/^for f in \*\.png; do$/,/^done$/p' "$work/man.sessions")
shown=$(awk '/^done$/ { after = 1 } after == 1 && /^@end$/ { after = 2; next }
              after == 2 && /^@end$/ { exit } after == 2' "$work/man.sessions")
cp "$work/files/notes.txt" "$work/files/notes.png"
mkdir "$work/files/old.png"
got=$(cd "$work/files" && bash -c "$script" 2>&1)
if [ -n "$script" ] && [ "$got" = "$shown" ]; then
    passed=$((passed + 1))
else
    fail "manual: the directory loop" "shown:" "$shown" "printed:" "$got"
fi

# Every output format (tests/expected_output.sh), with the run whose output
# must hold it: its placeholders filled in from the 640x480 file min.png
# and the tool's path.
# shellcheck source=tests/expected_output.sh
source "$(dirname "$0")/expected_output.sh"
for i in "${!formats[@]}"; do
    format=${formats[i]}
    case $i in
        0) args=() line=$(usage_line "$tool") ;;
        1) args=(missing.png) line=${cannot_open%$'\n'} ;;
        2 | 3) args=(min.png) line=$(found 640 480 8 2 | sed -n "$((i - 1))p") ;;
        *) args=(notes.txt) line=${invalid%$'\n'} ;;
    esac
    sed 's/^ *//; s/ *$//' "$work/man.txt" | grep -qxF -- "$format" \
        || fail "manual: no line reads '$format'" "$(grep -F -- "${format%% *}" "$work/man.txt")"
    grep -qF -- "\`$format\`" "$source/README.md" || fail "README: no \`$format\`"
    (cd "$work/files" && "$tool" "${args[@]}") > "$work/out"
    if grep -qxF -- "$line" "$work/out"; then
        passed=$((passed + 1))
    else
        fail "format '$format' is not what the tool prints" "expected: $line" "printed:" "$(cat "$work/out")"
    fi
done

# Every PNGPROBE_ cache variable of the CMake files has a row in
# CONTRIBUTING's options table, and the table names no other.
cached=$(cd "$source" && cat CMakeLists.txt ./*/CMakeLists.txt cmake/*.cmake | tr '\n' ' ' |
    grep -oE '(option|set)\((PNGPROBE_[A-Z_]+)[^)]*' | grep -E '^option|CACHE' |
    sed -E 's/^(option|set)\(([A-Z_]+).*/\2/' | sort -u)
# shellcheck disable=SC2016  # the backticks are Markdown's, matched literally
rows=$(sed -nE 's/^\| `(PNGPROBE_[A-Z_]+)` \|.*/\1/p' "$source/CONTRIBUTING.md" | sort -u)
if [ -n "$cached" ] && [ "$cached" = "$rows" ]; then
    passed=$((passed + 1))
else
    fail "CONTRIBUTING's build options and the CMake files differ" "$(diff <(echo "$cached") <(echo "$rows"))"
fi

# Every Debian package the README names is one that .ci/packages lists.
# shellcheck disable=SC2016  # the backticks are Markdown's, matched literally
named=$(tr "\n" " " < "$source/README.md" | grep -oE "Debian(: |'s )\`[^\`]*\`" | cut -d'`' -f2 | xargs -n 1)
unlisted=$(grep -vxF -f <(sed 's/#.*//' "$source/.ci/packages" | xargs -n 1) <<< "$named")
if [ -n "$named" ] && [ -z "$unlisted" ]; then
    passed=$((passed + 1))
else
    fail "README.md names packages that .ci/packages does not list: ${unlisted:-no package named}"
fi

# The version is the top released entry of the changelog (an
# "## [Unreleased]" section, undated, may stand above it), and so of the
# Debian changelog that the release makes from it.
top_changelog=$(sed -n 's/^## \[\([^]]*\)\] - [0-9].*/\1/p' "$source/CHANGELOG.md" | head -1)
if [ "$top_changelog" = "$version" ]; then
    passed=$((passed + 1))
else
    fail "version $version is not the top released entry of CHANGELOG.md (${top_changelog:-none})"
fi

# Versioned names in the documents: artifacts (pngprobe_V_amd64.deb,
# pngprobe-dev_V_..., pngprobe-V-windows-x86.zip, ...) and the library's
# version string, each with the one version.
for doc in README.md CONTRIBUTING.md; do
    # shellcheck disable=SC2016  # the backticks are Markdown's, matched literally
    names=$(grep -noE '\bpngprobe(-dev)?[-_][0-9]+(\.[0-9]+)+|PNGPROBE_VERSION` \(`"[0-9.]+"`\)' "$source/$doc")
    stale=$(grep -vE "[-_\"]${version//./\\.}(\"|$)" <<< "$names")
    if [ -z "$names" ]; then
        fail "$doc: no versioned name found"
    elif [ -z "$stale" ]; then
        passed=$((passed + 1))
    else
        fail "$doc: names without version $version" "$stale"
    fi
done

# CONTRIBUTING's time limits are those the tests set.
limits="has $(sed -n 's/^run_limit=\([0-9]*\).*/\1/p' "$source/tests/e2e_lib.sh") s, each test $(sed -n 's/^set(test_time_limit \([0-9]*\))$/\1/p' "$source/tests/CMakeLists.txt") s;"
if tr '\n' ' ' < "$source/CONTRIBUTING.md" | grep -qF "$limits"; then
    passed=$((passed + 1))
else
    fail "CONTRIBUTING.md does not say the tests' time limits: \"$limits\""
fi

# The manual page's date is the changelog's for the version.
top_date=$(sed -n 's/^## \[[^]]*\] - \([0-9-]*\).*/\1/p' "$source/CHANGELOG.md" | head -1)
man_date=$(sed -n 's/^\.TH [^ ]* [^ ]* "\([^"]*\)".*/\1/p' "$manual")
if [ -n "$top_date" ] && [ "$man_date" = "$top_date" ]; then
    passed=$((passed + 1))
else
    fail "the manual page is dated ${man_date:-never}, the changelog's top entry ${top_date:-not at all}"
fi

echo "docs: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
