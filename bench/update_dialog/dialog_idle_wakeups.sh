#!/bin/bash
# The idle cost of the real program's dialog, read from outside: starts
# PROGRAM -update (under RUNNER, e.g. wine, in a Wine prefix of its own) on an
# Xvfb of its own with the API server refusing at once, waits until the
# dialog is shown and has settled on the check's failure, then reads the
# voluntary context switches (wake-ups) of each of the program's threads over
# IDLE_SECONDS (default 10) from /proc and prints them. The busiest thread's
# count is the figure: target 0, at most 1 a second.
#   bench/update_dialog/dialog_idle_wakeups.sh build/win/bin/ORVUpdate.exe wine
#   bench/update_dialog/dialog_idle_wakeups.sh build/release/bin/ORVUpdate.exe
set -euo pipefail

program=$1
runner=${2:-}
seconds=${IDLE_SECONDS:-10}
work=$(mktemp -d /tmp/orv-idle.XXXXXX)
xvfb=
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ "$runner" = wine ] && wineserver -k 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3> "$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export ORV_API_BASE=http://127.0.0.1:1/ ORV_API_BASE_TEST=http://127.0.0.1:1/
export XDG_DATA_HOME="$work/data" ORV_REGISTRY="$work/registry.db"
if [ "$runner" = wine ]; then
    export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$WINEPREFIX"
    wineserver -p
    wineboot -i >/dev/null 2>&1
fi

# shellcheck disable=SC2086  # no runner: nothing; wine: one word
$runner "$program" -update > "$work/program.out" 2>&1 &
window=$(timeout 120 xdotool search --sync --onlyvisible --name '在线升级$' | head -n 1)
pid=$(xdotool getwindowpid "$window")
# The check fails at once; what follows it (the failure text, the shadow) settles.
sleep 5

switches() { awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$pid/task/$1/status" 2>/dev/null || echo 0; }
declare -A before
for task in /proc/"$pid"/task/*; do before[${task##*/}]=$(switches "${task##*/}"); done
sleep "$seconds"
echo "process $pid: $(tr "\\0" " " < /proc/$pid/cmdline)"
busiest=0
echo "thread name wake-ups (over $seconds s)"
for task in /proc/"$pid"/task/*; do
    tid=${task##*/}
    woken=$(( $(switches "$tid") - ${before[$tid]:-0} ))
    echo "$tid $(cat "$task/comm") $woken (from ${before[$tid]:-0})"
    [ "$woken" -gt "$busiest" ] && busiest=$woken
done
echo "busiest thread: $busiest wake-ups in $seconds s"
