# The harness that the end-to-end scripts source: it runs the built tool,
# compares its standard output byte for byte, its standard error (always
# empty) and its exit status, and counts the cases.
#
# The sourcing script sets, before it sources this file:
#   tool       the executable under test (made absolute here)
#   emulator   an array: the command that runs it, empty to run it natively
#   eol        lf, or crlf where standard output writes CR LF (Windows)
# and calls e2e_summary at its end.

# shellcheck source=tests/expected_output.sh
source "$(dirname "${BASH_SOURCE[0]}")/expected_output.sh"
tool=$(realpath "$tool")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
skipped=0
if [ ${#emulator[@]} -gt 0 ]; then
    echo "$(basename "$0"): $tool under ${emulator[*]}"
else
    echo "$(basename "$0"): $tool, run natively"
fi

# Expected text with \n as the target's text line end.
expected() {
    if [ "$eol" = crlf ]; then
        printf '%s' "$1" | sed 's/$/\r/'
    else
        printf '%s' "$1"
    fi
}

# Every run of the tool ends within run_limit seconds, so a tool that hangs
# fails its case; the suites start any other run of it with that limit too.
# A FIFO's writer is ended with the run that should read it; the other
# helpers (the runs in parallel, the console's terminal) are bounded by
# helper_limit seconds, twice what ctest allows a whole test
# (PNGPROBE_TEST_TIME_LIMIT, from tests/CMakeLists.txt), so that one left
# waiting fails the suite instead of passing after a wait.
run_limit=60 helper_limit=$((2 * ${PNGPROBE_TEST_TIME_LIMIT:-300}))
run() {
    timeout "$run_limit" "${emulator[@]}" "$@"
}

# have PROGRAM: PROGRAM is on PATH and can be run (bash alone would also
# name a file of that name that cannot).
have() {
    local path
    path=$(type -P "$1") && [ -x "$path" ]
}

# An emulator that cannot run on this machine says so and exits 77, and one
# that is missing or cannot be started at all gives 127 or 126: the whole run
# is then skipped, never passed.
if [ ${#emulator[@]} -gt 0 ]; then
    run "$tool" > "$work/out" 2>&1
    case $? in
        77) cat "$work/out"; exit 77 ;;
        126 | 127) echo "cannot start ${emulator[0]} here: the suite is skipped"; exit 77 ;;
    esac
fi

# check NAME STATUS TEXT -- ARGS...: runs the tool with ARGS.
check() {
    local name=$1 status=$2 text=$3
    shift 4
    run "$tool" "$@" > "$work/out" 2> "$work/err"
    report "$name" $? "$status" "$text"
}

# report NAME RC STATUS TEXT: compares what the last run left in out and err.
# A failure names the case and the line of the suite that runs it with what
# it expects, then only what differs: the status, the output (a diff, each line
# shown with its end: \r for CR, $ for LF) or what went to standard error.
report() {
    local name=$1 rc=$2 status=$3 text=$4 n=${#FUNCNAME[@]}
    expected "$text" > "$work/want"
    if [ "$rc" -eq "$status" ] && cmp -s "$work/out" "$work/want" && [ ! -s "$work/err" ]; then
        passed=$((passed + 1))
        return
    fi
    failed=$((failed + 1))
    # The suite's own line that ran the case, from its top level.
    echo "FAIL: $name ($(basename "${BASH_SOURCE[n - 1]}"):${BASH_LINENO[n - 2]})"
    [ "$rc" -eq "$status" ] || echo "  exit status $rc, expected $status"
    if ! cmp -s "$work/out" "$work/want"; then
        echo "  standard output differs (-expected +printed):"
        diff -u --label expected --label printed <(sed -n l "$work/want") <(sed -n l "$work/out") |
            tail -n +3 | sed 's/^/    /'
    fi
    [ -s "$work/err" ] && { echo "  standard error:"; sed 's/^/    /' "$work/err"; }
    return 0
}

# skip NAME WHY: a case this machine cannot run; counted, never passed.
skip() {
    skipped=$((skipped + 1))
    echo "SKIPPED: $1 ($2)"
}

# The closing line, and the script's status.
e2e_summary() {
    echo "$(basename "$0" .sh): $passed passed, $failed failed, $skipped skipped"
    [ "$failed" -eq 0 ]
}

# winpath PATH: a path of this machine as Wine names it, on drive Z:.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# File makers. bytes writes printf escapes as raw bytes.
bytes() { printf "$@"; }
sig='\x89PNG\r\n\x1a\n'
ihdr_640x480='\x00\x00\x00\x0dIHDR\x00\x00\x02\x80\x00\x00\x01\xe0\x08\x02\x00\x00\x00\xba\xb3\x4b\xb3'
found_640x480=$(found 640 480 8 2)$'\n'
bytes "$sig$ihdr_640x480" > "$work/minimal.png"
