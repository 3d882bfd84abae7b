#!/usr/bin/env bash
# Every linter the tree is held to, as CI runs them; exits 1 on any finding
# and names each check that found one:
#  - clang-format (.clang-format) over every tracked C and C++ file;
#  - shellcheck (.shellcheckrc) over every tracked shell script, found by
#    its #! line, following the files it sources;
#  - pyflakes over every tracked Python file;
#  - clang-tidy (.clang-tidy) over the tool's own sources: the POSIX ones
#    through a compilation database configured here, the Windows one as
#    clang compiles for i686-w64-mingw32 against the MinGW-w64 headers;
#  - cppcheck over src/.
#
#   bash lint/run.sh
#
# Needs git, cmake, the linters and the MinGW-w64 headers: the packages
# that .ci/packages lists for the linters and for Windows.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2
failed=()

# tracked PATTERN...: the tracked files that match, one a line.
tracked() { git ls-files -- "$@"; }
# scripts LANGUAGE-RE: the tracked files whose #! line runs LANGUAGE-RE.
scripts() {
    local f
    while IFS= read -r f; do
        [ -f "$f" ] && head -n 1 -- "$f" | grep -qE "^#!.*[/ ]($1)( |$)" && printf '%s\n' "$f"
    done < <(git ls-files)
}
# lint NAME COMMAND...: runs one check, noting it where it finds anything.
lint() {
    local name=$1
    shift
    echo "== $name"
    if ! "$@"; then
        failed+=("$name")
    fi
}

mapfile -t sources < <(tracked '*.c' '*.cpp' '*.h')
lint clang-format clang-format --dry-run --Werror -- "${sources[@]}"

mapfile -t shell < <(scripts 'sh|bash|dash')
lint shellcheck shellcheck -x -- "${shell[@]}"

mapfile -t python < <({ tracked '*.py'; scripts 'python3?'; } | sort -u)
lint pyflakes pyflakes3 "${python[@]}"

# clang-tidy reads how each POSIX source is compiled from a build tree of
# its own, configured without tests so that it takes seconds.
db=build/lint
echo "== configuring $db for clang-tidy"
mkdir -p "$db"
cmake -S . -B "$db" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DPNGPROBE_BUILD_TESTS=OFF > "$db/configure.log" 2>&1 ||
    { cat "$db/configure.log"; failed+=("configure $db"); }
# tidy ARGS...: clang-tidy without its count of the warnings it did not show.
tidy() { clang-tidy --quiet "$@" 2> >(grep -v '^[0-9]* warnings\? generated\.$' >&2); }
lint "clang-tidy (POSIX)" tidy -p "$db" src/main.cpp src/os/os_posix.cpp src/png/png_header.cpp
lint "clang-tidy (Windows)" tidy src/os/os_windows.cpp -- \
    --target=i686-w64-mingw32 -std=c++17 -DUNICODE -D_UNICODE -Isrc

lint cppcheck cppcheck --std=c++17 --enable=warning,style,performance,portability \
    --error-exitcode=1 --inline-suppr --suppress=missingIncludeSystem -I src/png -q src/

if [ ${#failed[@]} -gt 0 ]; then
    printf 'lint: findings from %s\n' "${failed[*]}"
    exit 1
fi
echo "lint: clean (${#sources[@]} C/C++ files, ${#shell[@]} shell scripts, ${#python[@]} Python files)"
