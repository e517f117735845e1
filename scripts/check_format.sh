#!/bin/sh
# The format check: every C and C++ file of the project's own code under
# ROOT (default: this checkout; src, tests, tools, bench, fuzz) reads as
# clang-format writes it with ROOT's .clang-format. Lists each file that
# differs and fails if one does.
#   check_format.sh [--fix] [ROOT]     --fix rewrites the files instead
set -eu
fix=
[ "${1:-}" = --fix ] && { fix=1; shift; }
cd "${1:-$(dirname "$0")/..}"
command -v clang-format > /dev/null || { echo "check_format: clang-format is not installed" >&2; exit 1; }
[ -f .clang-format ] || { echo "check_format: no .clang-format in $PWD" >&2; exit 1; }
list=$(mktemp)
trap 'rm -f "$list" "$list.out" "$list.differ"' EXIT
for folder in src tests tools bench fuzz; do
    [ -d "$folder" ] && find "$folder" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \)
done | sort > "$list"
if [ -n "$fix" ]; then
    xargs -r clang-format -i --style=file < "$list"
    exit 0
fi
# Many files a run; clang-format names each place that differs.
xargs -r clang-format --dry-run --Werror --style=file < "$list" > /dev/null 2> "$list.out" || true
sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/not formatted: \1/p' "$list.out" |
    uniq > "$list.differ"
if [ -s "$list.differ" ]; then
    cat "$list.differ"
    echo "check_format: $(wc -l < "$list.differ") file(s) differ; scripts/check_format.sh --fix rewrites them" >&2
    exit 1
fi
# A run that failed without naming a place (a file it could not read) fails too.
if grep -q . "$list.out"; then cat "$list.out" >&2; exit 1; fi
echo "check_format: $(wc -l < "$list") files as clang-format writes them"
