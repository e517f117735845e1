#!/bin/sh
# Runs the benchmarks that hold the program against its anchors (MD5 against
# OpenSSL, the markup parser against pugixml, blending against pixman, the
# ZIP writer against `zip -8`, the download against curl) in two build
# folders in turn, so that a change can be judged on the same machine in the
# same minutes. Each benchmark measures against its anchor in its own run;
# compare the ratios, not the times across rounds.
#
#   scripts/bench-compare.sh BEFORE_BUILD AFTER_BUILD [ROUNDS]
#
# e.g. a worktree of the old commit built in /work/old/build/release against
# build/release, 2 rounds. Run it on an otherwise idle machine.
set -eu
before=$1 after=$2 rounds=${3:-2}
for round in $(seq "$rounds"); do
    for bench in common/md5_bench skinui/skinui_bench zip/zip_bench server_api/server_api_bench; do
        for build in "$before" "$after"; do
            echo "=== $build $bench, round $round (load: $(cut -d' ' -f1 /proc/loadavg))"
            case $bench in
                skinui/*) "$build/bench/$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true ;;
                common/*) "$build/bench/$bench" --benchmark_report_aggregates_only=true ;;
                *) "$build/bench/$bench" ;;
            esac
        done
    done
done
