#!/usr/bin/env bash
# Builds every libFuzzer target with clang, libFuzzer, ASan and UBSan in its
# own build folder and runs each for a bounded time from its seed corpus.
# Exits non-zero when a target crashes or a sanitizer reports.
#   FUZZ_SECONDS   time per target (default 30)
#   FUZZ_BUILD_DIR build folder (default <repo>/build-fuzz)
#   arguments      target names to run (default: all)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-30}"
# target, binary below the build folder, seed folder in the repository ("" when
# the seeds are made below)
targets=(
  "skinui_markup    fuzz/skinui/skinui_markup_fuzz           -"
  "skinui_zip       fuzz/skinui/skinui_zip_fuzz              -"
  "skinui_html      fuzz/skinui/skinui_html_fuzz             -"
  "skinui_image     fuzz/skinui/skinui_image_descriptor_fuzz fuzz/skinui/corpus/image_descriptor"
  "lpc_frames       fuzz/lpc/lpc_frames_fuzz                 fuzz/lpc/corpus/lpc_frames"
  "api_reply        fuzz/server_api/server_api_api_reply_fuzz      fuzz/server_api/corpus/api_reply"
  "reply_headers    fuzz/server_api/server_api_reply_headers_fuzz  fuzz/server_api/corpus/reply_headers"
  "settings_values  fuzz/settings/settings_values_fuzz       fuzz/settings/corpus/settings_values"
  "authenticode     fuzz/code_signing/code_signing_authenticode_fuzz -"
  "file_version     fuzz/code_signing/code_signing_file_version_fuzz -"
)
wanted=("$@")

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_BUILD_FUZZ=ON -DORV_BUILD_TESTS=OFF \
  -DORV_BUILD_BENCH=OFF -DORV_SANITIZE=address,undefined \
  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
binaries=()
for line in "${targets[@]}"; do
  read -r name binary seeds <<<"$line"
  if [ ${#wanted[@]} -eq 0 ] || [[ " ${wanted[*]} " == *" $name "* ]]; then
    binaries+=("$(basename "$binary")")
  fi
done
ninja -C "$build" "${binaries[@]}"

work="$build/fuzz-corpus"
mkdir -p "$work/artifacts"
# The skin parsers' seeds are the markup test cases (first byte picks the
# encoding), and archives of them written by Info-ZIP's zip.
mkdir -p "$work/skinui_markup" "$work/skinui_zip" "$work/skinui_html"
for input in "$root"/tests/data/markup/*/input.xml; do
  name="$(basename "$(dirname "$input")")"
  { printf '\0'; cat "$input"; } > "$work/skinui_markup/$name"
done
if command -v zip >/dev/null; then
  (cd "$root/tests/data/markup" && zip -q -X -0 -r "$work/skinui_zip/stored.zip" apostrophe_value utf8_with_bom \
     && zip -q -X -9 -r "$work/skinui_zip/deflated.zip" seventy_attributes siblings_and_whitespace) || true
fi
# Formatted label texts, the first byte picking the style.
printf '\001{c #969696}abc{/c}{c #23bf04}50%%{/c}' > "$work/skinui_html/percent"
printf '\002{p 4}{b}new{/b} {a https://x}link{/a}{n}{i img.png 2 1}{x 5}{y 20}{v center}v{/v}{/p}' > "$work/skinui_html/tags"
printf '\003<{>raw<}>{r}{b}{/r}{f 微软雅黑 14 bold underline}字{/f}{s}sel{/s}' > "$work/skinui_html/escapes"

# Installers: small PE images signed at this run (keys made and dropped by
# the script), and the broken ones it makes of them.
mkdir -p "$work/authenticode"
if command -v osslsigncode >/dev/null; then
  "$root/tests/support/sign_fixtures.sh" "$work/signed" /bin/true /bin/true
  cp -f "$work/signed"/*.exe "$work/authenticode/"
fi
mkdir -p "$work/file_version"
if [ -d "$work/signed" ]; then cp -f "$work/signed"/*.exe "$work/file_version/"; fi

# The API client reads a setting at every signed request: keep the targets
# off the user's own registry stand-in and data folder.
# The store commits at every request, so it goes into memory where it can.
state="$(mktemp -d "$( [ -d /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/orv-fuzz.XXXXXX")"
trap 'rm -rf "$state"' EXIT
export ORV_REGISTRY="$state/registry.db" XDG_DATA_HOME="$state/data"

status=0
for line in "${targets[@]}"; do
  read -r name binary seeds <<<"$line"
  if [ ${#wanted[@]} -ne 0 ] && [[ " ${wanted[*]} " != *" $name "* ]]; then continue; fi
  # libFuzzer writes new inputs into the first folder: a copy keeps the
  # repository's seeds as they are.
  mkdir -p "$work/$name"
  if [ "$seeds" != "-" ]; then cp -f "$root/$seeds"/* "$work/$name/"; fi
  echo "fuzzing $name for ${seconds}s"
  if ! "$build/$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$work/artifacts/${name}-" -print_final_stats=1 "$work/$name" \
       > "$work/$name.log" 2>&1; then
    echo "$name failed; see $work/$name.log" >&2
    tail -40 "$work/$name.log" >&2
    status=1
  else
    grep -E 'stat::number_of_executed_units|Done' "$work/$name.log" || true
  fi
done
exit $status
