#!/usr/bin/env bash
# Builds the skin parser and formatted-text fuzz targets with clang, libFuzzer, ASan and UBSan in
# their own build folder and runs each for a bounded time. Exits non-zero when
# a target crashes or a sanitizer reports.
#   FUZZ_SECONDS   time per target (default 30)
#   FUZZ_BUILD_DIR build folder (default <repo>/build-fuzz-skinui)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz-skinui}"
seconds="${FUZZ_SECONDS:-30}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_BUILD_FUZZ=ON -DORV_BUILD_TESTS=OFF \
  -DORV_BUILD_BENCH=OFF -DORV_SANITIZE=address,undefined \
  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
ninja -C "$build" skinui_markup_fuzz skinui_zip_fuzz skinui_html_fuzz

work="$build/fuzz-skinui-corpus"
mkdir -p "$work/markup" "$work/zip" "$work/html" "$work/artifacts"
# Seeds: the markup test cases (first byte picks the encoding), and archives
# of them written by Info-ZIP's zip, stored and deflated.
for input in "$root"/tests/data/markup/*/input.xml; do
  name="$(basename "$(dirname "$input")")"
  { printf '\0'; cat "$input"; } > "$work/markup/$name"
done
if command -v zip >/dev/null; then
  (cd "$root/tests/data/markup" && zip -q -X -0 -r "$work/zip/stored.zip" apostrophe_value utf8_with_bom \
     && zip -q -X -9 -r "$work/zip/deflated.zip" seventy_attributes siblings_and_whitespace) || true
fi

# Formatted label texts, the first byte picking the style.
printf '\001{c #969696}abc{/c}{c #23bf04}50%%{/c}' > "$work/html/percent"
printf '\002{p 4}{b}new{/b} {a https://x}link{/a}{n}{i img.png 2 1}{x 5}{y 20}{v center}v{/v}{/p}' > "$work/html/tags"
printf '\003<{>raw<}>{r}{b}{/r}{f 微软雅黑 14 bold underline}字{/f}{s}sel{/s}' > "$work/html/escapes"

status=0
for target in markup zip html; do
  echo "fuzzing $target for ${seconds}s"
  if ! "$build/fuzz/skinui/skinui_${target}_fuzz" -max_total_time="$seconds" -timeout=10 \
       -artifact_prefix="$work/artifacts/${target}-" -print_final_stats=1 "$work/$target" \
       > "$work/$target.log" 2>&1; then
    echo "skinui_${target}_fuzz failed; see $work/$target.log" >&2
    tail -40 "$work/$target.log" >&2
    status=1
  else
    grep -E 'stat::number_of_executed_units|Done' "$work/$target.log" || true
  fi
done
exit $status
