#!/bin/bash
# The update dialog used with the keyboard alone, on a real X server: starts
# Xvfb on a free display and devserver, runs the program with "-update" and
# types with xdotool (XTEST), never touching the pointer.
#  1. The offer: Tab walks "一键升级" -> minimise -> close -> "一键升级" (the
#     white focus indicator is seen on the screen), Enter starts the
#     download; the installer starts with "-inst_update", exit code 0.
#  2. A slow download: Enter, then Esc closes the dialog at once and no
#     installer runs.
#
#   dialog_keyboard_e2e.sh DEVSERVER INSTALLER PROGRAM
set -euo pipefail
devserver=$1 installer=$2 program=$3
fail() { echo "dialog_keyboard_e2e: $*" >&2; exit 1; }

. "$(dirname "$0")/e2e_support.sh"
begin_run dialog-keys
start_xvfb || fail "Xvfb did not start"

# Starts devserver with the reply table $1 (may be empty) on the folder
# $work/files; sets $server (its pid) and $port.
start_devserver() {
    local config=()
    [ -n "$1" ] && config=(--config "$1")
    : > "$work/requests.jsonl"
    # The last server's port must not be read while the new one starts.
    rm -f "$work/devserver.out"
    "$devserver" --port 0 --static "$work/files" --log "$work/requests.jsonl" "${config[@]}" \
        > "$work/devserver.out" &
    server=$!
    pids+=($server)
    await 10 grep -qs '^http ' "$work/devserver.out" || fail "devserver did not start"
    port=$(sed -n 's/^http \([0-9]*\).*/\1/p' "$work/devserver.out")
    export ORV_API_BASE="http://127.0.0.1:$port/"
}

# Runs the program, waits for its window to show the offer with the
# keyboard focus; sets $app and $window.
open_offer() {
    rm -rf "$work/data" "$work/registry.db"
    "$program" -update > "$work/program.out" 2>&1 &
    app=$!
    pids+=($app)
    window=$(find_window 60 --name '^奥凡 在线升级$') ||
        fail "no window titled 奥凡 在线升级"
    await 20 grep -q '"r":"api/update/v2"' "$work/requests.jsonl" || fail "the update query never came"
    await 10 test "$(xdotool getwindowfocus)" = "$window" || fail "the dialog has no keyboard focus"
    # The offer page is up once the "一键升级" button shows its focus indicator.
    await 10 ring_is white || fail "the offer's main button never showed the focus indicator"
}

# The focus indicator's pixel on "一键升级" (180 x 48 centred at 325, 355;
# the ring lies 2 to 3 pixels inside): "white" or "blue".
ring_is() {
    import -window "$window" "$work/shot.png" 2>/dev/null || return 1
    local rgb white=no
    rgb=$(convert "$work/shot.png" -format '%[pixel:p{238,355}]' info: 2>/dev/null) || return 1
    case "$rgb" in *255,255,255*|white) white=yes ;; esac
    if [ "$1" = white ]; then [ $white = yes ]; else [ $white = no ]; fi
}

# Waits for the program to end; its exit code must be 0.
await_exit() {
    for _ in $(seq 600); do kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$app" 2>/dev/null && fail "the dialog did not close ($1)"
    local code=0
    wait "$app" || code=$?
    [ "$code" -eq 0 ] || fail "the program exited with $code ($1): $(cat "$work/program.out")"
}

export ORV_REGISTRY="$work/registry.db" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work"
export ORV_DEMO_INSTALLER_MARKER="$work/installer-ran.txt"
mkdir -p "$work/files"

# 1. Tab around to "一键升级", Enter.
cp "$installer" "$work/files/Update.exe"
start_devserver ""
open_offer
xdotool key Tab
await 5 ring_is blue || fail "Tab left the focus indicator on 一键升级"
xdotool key Tab Tab
await 5 ring_is white || fail "Tab did not come back to 一键升级"
xdotool key Return
await 30 grep -q '"path":"/files/Update.exe"' "$work/requests.jsonl" || fail "Enter did not start the download"
await_exit "after Enter"
await 10 test -s "$work/installer-ran.txt" || fail "the installer did not start"
[ "$(cat "$work/installer-ran.txt")" = "ran -inst_update" ] ||
    fail "the installer recorded: $(cat "$work/installer-ran.txt")"
kill "$server" 2>/dev/null || true

# 2. A download that takes 20 seconds: Esc ends it and the dialog.
rm -f "$work/installer-ran.txt"
python3 - "$work/files/Update.exe" > "$work/replies.json" <<'PY'
import json, sys
body = "#!/bin/sh\necho ran \"$@\" >> \"$ORV_DEMO_INSTALLER_MARKER\"\n" + "#\n" * 200000
print(json.dumps({"replies": {"files/Update.exe": {
    "body": body, "content_type": "application/octet-stream", "trickle_ms": 100, "trickle_bytes": 2048}}}))
PY
start_devserver "$work/replies.json"
open_offer
xdotool key Return
await 20 grep -q '"path":"/files/Update.exe"' "$work/requests.jsonl" || fail "Enter did not start the download"
kill -0 "$app" 2>/dev/null || fail "the dialog ended before Esc"
xdotool key Escape
await_exit "after Esc"
[ ! -e "$work/installer-ran.txt" ] || fail "an installer ran after Esc: $(cat "$work/installer-ran.txt")"
echo "dialog_keyboard_e2e: Tab reached 一键升级, Enter installed; Esc ended a download without installer"
