#!/usr/bin/env bash
# Every linter the tree is held to, as CI runs them, each over every tracked
# file of its kind (clang-tidy and cppcheck over the tool's sources, the
# Windows one too); exits 1 on any finding and names each check that found
# one. Needs the packages that .ci/packages lists for linters and Windows.
#
#   bash lint/run.sh
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
    "$@" || failed+=("$name")
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
