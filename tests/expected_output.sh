# Every line the tool prints, stated once, with '\n' as the line end (the
# Windows suites make it CR LF). Sourced by e2e_lib.sh, for both end-to-end
# suites, and by docs_test.sh, which holds the README and the manual page to
# the same formats. In a format, PATH, W, H, D and C stand for the values.
formats=(
    'Usage: PATH <png file>'
    'Cannot open file'
    'width: W px, height: H px'
    'bit_depth: D, color_type: C'
    'invalid png'
)

# fill FORMAT [NAME=VALUE...]: FORMAT with each placeholder NAME made VALUE.
fill() {
    local line=$1 pair
    shift
    for pair in "$@"; do
        line=${line//"${pair%%=*}"/"${pair#*=}"}  # quoted: a path may hold '&'
    done
    printf '%s\n' "$line"
}

# usage_line PATH: the usage line of the executable at PATH.
usage_line() { fill "${formats[0]}" PATH="$1"; }
# A name that cannot be opened.
cannot_open=$(fill "${formats[1]}")$'\n'
# found W H D C: the two lines of a header found.
found() { fill "${formats[2]}" W="$1" H="$2"; fill "${formats[3]}" D="$3" C="$4"; }
# No header in the bytes read.
invalid=$(fill "${formats[4]}")$'\n'
