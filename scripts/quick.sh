#!/usr/bin/env bash
# The inner loop: configures build/release when it is not yet, builds only
# what the tests matching PATTERN need, and runs them.
#   scripts/quick.sh PATTERN [ctest arguments...]
# PATTERN is ctest's -R: a regular expression over test names (for the
# GoogleTest suites "Suite.Test"). A suite's program is found from the
# TEST(...) lines of the test sources; a script test's programs from its
# command and environment.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: scripts/quick.sh PATTERN [ctest arguments...]" >&2; exit 2; }
pattern=$1
shift
cd "$(dirname "$0")/.."
build=${ORV_QUICK_BUILD:-build/release}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null

# The test programs whose sources hold a matching TEST(Suite, Name): the
# target owning each source's object file.
objects=$(ninja -C "$build" -t targets all | sed -n 's/^\(tests\/[^:]*\.cpp\.o\):.*/\1/p')
targets=()
while read -r source; do
    [ -n "$source" ] || continue
    target=$(grep -F "/${source#tests/*/}.o" <<< "$objects" | grep -F "${source%/*}/" |
        sed -n 's/.*CMakeFiles\/\([^/]*\)\.dir\/.*/\1/p' | head -n 1)
    [ -n "$target" ] && targets+=("$target")
done < <(grep -rEo '^(TEST|TEST_F|TEST_P|TYPED_TEST)\([A-Za-z0-9_]+, *[A-Za-z0-9_]+' tests --include='*.cpp' |
    sed -E 's/^([^:]*):[A-Z_]+\(([A-Za-z0-9_]+), *([A-Za-z0-9_]+)$/\1 \2.\3/' |
    while read -r file name; do grep -qE -- "$pattern" <<< "$name" && echo "$file"; done | sort -u)

# Script tests (listed without building): every file of the build folder
# their command or environment names.
abs_build=$(cd "$build" && pwd)
while read -r output; do
    output=${output#"$abs_build"/}
    ninja -C "$build" -t query "$output" > /dev/null 2>&1 && targets+=("$output")
done < <(ctest --test-dir "$build" -N -R "$pattern" --show-only=json-v1 | python3 -c '
import json, sys
build = sys.argv[1] + "/"
for test in json.load(sys.stdin).get("tests", []):
    words = list(test.get("command") or [])
    for prop in test.get("properties", []):
        if prop["name"] == "ENVIRONMENT":
            words += [v.split("=", 1)[-1] for v in prop["value"]]
    for word in words:
        if word.startswith(build):
            print(word)
' "$abs_build" | sort -u)

if [ ${#targets[@]} -eq 0 ]; then
    echo "quick: no test matches $pattern" >&2
    exit 1
fi
printf 'quick: building %s\n' "$(printf '%s\n' "${targets[@]}" | sort -u | paste -sd' ')"
ninja -C "$build" $(printf '%s\n' "${targets[@]}" | sort -u)
ctest --test-dir "$build" -R "$pattern" --output-on-failure "$@"
