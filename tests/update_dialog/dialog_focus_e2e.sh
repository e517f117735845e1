#!/bin/bash
# The update dialog and the keyboard focus under a window manager told not to
# focus new windows (openbox, focusNew "no"), or one that weighs the launch
# time against the user's last action (mutter), on Xvfb:
#   1. another application (xev) has the focus; the dialog opens beside it
#      and leaves it there: a Return typed goes to xev, and no download or
#      installer starts. The dialog tells the window manager the launch time
#      that start-up notification passed (DESKTOP_STARTUP_ID), and ends that
#      launch (its "remove" message, in two pieces, reaches the root);
#   2. a second "-update" start, the user's asking for the dialog, brings it
#      forward with the focus; a Return then reaches it and installs.
#
#   dialog_focus_e2e.sh DEVSERVER INSTALLER PROGRAM
#
# ORV_E2E_DESKTOP: "openbox" (default) or "mutter". The launch time given is
# older than xev's activation.
set -euo pipefail
devserver=$1 installer=$2 program=$3
desktop=${ORV_E2E_DESKTOP:-openbox}
fail() { echo "dialog_focus_e2e ($desktop): $*" >&2; exit 1; }

. "$(dirname "$0")/e2e_support.sh"
begin_run dialog-focus
start_xvfb || fail "Xvfb did not start"
if [ "$desktop" = mutter ]; then
    dbus-run-session -- mutter --x11 --replace --sm-disable > "$work/mutter.log" 2>&1 &
    pids+=($!)
    await 30 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" ||
        fail "mutter did not start"
else
    start_openbox_without_focus_new || fail "openbox did not start"
fi
start_devserver "$devserver" "$installer" || fail "devserver did not start"
export ORV_REGISTRY="$work/registry.db" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work"
export ORV_DEMO_INSTALLER_MARKER="$work/installer-ran.txt"
focus_is() {
    [ "$(xdotool getwindowfocus)" = "$1" ] && [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]
}

# 1. xev has the focus the window manager gave it; the dialog opens.
xev -name orv-focus-witness -event keyboard > "$work/xev.out" &
pids+=($!)
witness=$(find_window 20 --name '^orv-focus-witness$') ||
    fail "xev showed no window"
xdotool windowactivate --sync "$witness" 2>/dev/null
await 10 focus_is "$witness" || fail "xev did not get the focus"
xev -root -event property > "$work/root.out" &
pids+=($!)
# It watches once it sees a change of the root's properties.
root_watched() {
    xprop -root -f ORV_PROBE 8s -set ORV_PROBE ready && grep -q ORV_PROBE "$work/root.out"
}
await 10 root_watched || fail "xev did not watch the root"
DESKTOP_STARTUP_ID=orv-focus-test_TIME1000 "$program" -update > "$work/program.out" 2>&1 &
app=$!
pids+=($app)
window=$(find_window 60 --name '^奥凡 在线升级$') ||
    fail "no window titled 奥凡 在线升级"
[ "$(xprop -id "$window" _NET_WM_USER_TIME)" = "_NET_WM_USER_TIME(CARDINAL) = 1000" ] ||
    fail "the dialog was not mapped with the launch time: $(xprop -id "$window" _NET_WM_USER_TIME)"
launch='_NET_STARTUP_ID(UTF8_STRING) = "orv-focus-test_TIME1000"'
[ "$(xprop -id "$window" _NET_STARTUP_ID)" = "$launch" ] ||
    fail "the dialog does not name its launch: $(xprop -id "$window" _NET_STARTUP_ID)"
startup_ended() {
    [ "$(grep -c 'message_type 0x[0-9a-f]* (_NET_STARTUP_INFO_BEGIN)' "$work/root.out")" = 1 ] &&
        [ "$(grep -c 'message_type 0x[0-9a-f]* (_NET_STARTUP_INFO)' "$work/root.out")" = 1 ]
}
await 10 startup_ended ||
    fail "the dialog did not end its launch: $(grep ClientMessage "$work/root.out")"
await 20 grep -q '"r":"api/update/v2"' "$work/requests.jsonl" || fail "the update query never came"
await_settled "$window" || fail "the dialog was never painted"
focus_is "$witness" || fail "the dialog took the focus from xev: $(xdotool getwindowfocus) has it"
xdotool key Return
await 10 grep -q 'keysym 0xff0d, Return' "$work/xev.out" || fail "xev did not get the Return"
focus_is "$witness" || fail "the focus left xev after the Return"
! grep -q '"path":"/files/Update.exe"' "$work/requests.jsonl" ||
    fail "the Return meant for xev started the download"
[ ! -e "$work/installer-ran.txt" ] || fail "the Return meant for xev started the installer"

# 2. A second start brings the dialog forward, with the focus.
timeout 30 "$program" -update > "$work/second.out" 2>&1 || fail "the second start exited with $?"
await 10 focus_is "$window" ||
    fail "a second start did not give the dialog the focus: $(xdotool getwindowfocus) has it"
xdotool key Return
await 30 grep -q '"path":"/files/Update.exe"' "$work/requests.jsonl" ||
    fail "Return in the dialog started no download"
await 30 test -s "$work/installer-ran.txt" || fail "the installer did not start"
echo "dialog_focus_e2e ($desktop): the dialog left the focus with xev, and took it on a second start"
