#!/bin/bash
# The update dialog as a user meets it, on a real X server: starts Xvfb on a
# free display and devserver offering the installer stub, runs the program
# with "-update", finds its window by the title "奥凡 在线升级", checks that it
# is 650 x 430 and painted, clicks "一键升级" with xdotool, and checks that the
# installer was downloaded, checked and started with "-inst_update", that the
# dialog closed and that the program exited with 0.
#
#   dialog_e2e.sh DEVSERVER INSTALLER PROGRAM [RUNNER...]
#
# RUNNER runs the program (for example "wine" for the Windows build, with the
# caller's WINEPREFIX); none runs it directly. Screenshots of the offer and
# of the download go to $ORV_E2E_SHOTS when it names a folder.
set -euo pipefail
devserver=$1 installer=$2 program=$3
shift 3
runner=("$@")
fail() { echo "dialog_e2e: $*" >&2; exit 1; }

work=$(mktemp -d /tmp/orv-dialog-e2e.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# Polls a command every 50 ms for up to $1 seconds.
await() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 20))); do "$@" && return 0; sleep 0.05; done
    return 1
}

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3> "$work/display" 2> "$work/xvfb.log" &
pids+=($!)
await 20 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

mkdir -p "$work/files"
cp "$installer" "$work/files/Update.exe"
"$devserver" --port 0 --static "$work/files" --log "$work/requests.jsonl" > "$work/devserver.out" &
pids+=($!)
await 10 grep -q '^http ' "$work/devserver.out" || fail "devserver did not start"
port=$(sed -n 's/^http \([0-9]*\).*/\1/p' "$work/devserver.out")

# The program's own state lives in the work folder (the POSIX stand-ins;
# under Wine the caller's prefix holds it).
export ORV_API_BASE="http://127.0.0.1:$port/" ORV_DEMO_INSTALLER_MARKER="$work/installer-ran.txt"
export ORV_REGISTRY="$work/registry.db" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work"
"${runner[@]}" "$program" -update > "$work/program.out" 2>&1 &
app=$!
pids+=($app)

window=$(timeout 60 xdotool search --sync --onlyvisible --name '^奥凡 在线升级$' | head -n 1) ||
    fail "no window titled 奥凡 在线升级"
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "650x430" ] || fail "the window is $geometry, not 650x430"
# The desktop shows the program's large and small icons.
icons=$(xprop -id "$window" _NET_WM_ICON 2>/dev/null)
for size in 32 16; do
    case "$icons" in *"Icon ($size x $size)"*) ;; *) fail "the window has no $size-pixel icon";; esac
done

# The offer arrives a second after the start; then the page shows it.
await 20 grep -q '"r":"api/update/v2"' "$work/requests.jsonl" || fail "the update query never came"
# The window is painted (not the X server's black) and has settled.
await 10 bash -c "import -window $window '$work/a.png' 2>/dev/null; sleep 0.3; import -window $window '$work/b.png' 2>/dev/null; \
    [ \"\$(convert '$work/b.png' -format '%[fx:mean>0.3]' info:)\" = 1 ] && \
    [ \"\$(compare -metric AE '$work/a.png' '$work/b.png' null: 2>&1)\" = 0 ]" || fail "the window was not painted"
[ -n "${ORV_E2E_SHOTS:-}" ] && cp "$work/b.png" "$ORV_E2E_SHOTS/offer.png"

# A second start finds the running dialog by its window class and only
# brings it forward: no second window, exit code 0.
"${runner[@]}" "$program" -update > "$work/second.out" 2>&1 &
second=$!
pids+=($second)
for _ in $(seq 600); do kill -0 "$second" 2>/dev/null || break; sleep 0.05; done
code=0
wait "$second" || code=$?
[ "$code" -eq 0 ] || fail "the second start exited with $code"
count=$(xdotool search --onlyvisible --name '^奥凡 在线升级$' | wc -l)
[ "$count" -eq 1 ] || fail "$count dialog windows after the second start"
# Windows decides itself whether another process may take the foreground
# (under Wine without a window manager it keeps the focus where it is); our
# own X11 window system hands it over.
if [ ${#runner[@]} -eq 0 ]; then
    [ "$(xdotool getwindowfocus)" = "$window" ] || fail "the second start did not bring the dialog forward"
fi

# "一键升级" sits in the middle of the white body below the header.
xdotool mousemove --window "$window" 325 355 click 1
await 30 grep -q '"path":"/files/Update.exe"' "$work/requests.jsonl" || fail "the installer was not downloaded"

for _ in $(seq 600); do kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
kill -0 "$app" 2>/dev/null && fail "the dialog did not close"
code=0
wait "$app" || code=$?
[ "$code" -eq 0 ] || fail "the program exited with $code: $(cat "$work/program.out")"
await 10 test -s "$work/installer-ran.txt" || fail "the installer did not start"
[ "$(cat "$work/installer-ran.txt")" = "ran -inst_update" ] ||
    fail "the installer recorded: $(cat "$work/installer-ran.txt")"
echo "dialog_e2e: offer shown, installer downloaded, checked and started with -inst_update, exit code 0"
