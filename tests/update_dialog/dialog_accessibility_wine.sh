#!/bin/bash
# The Windows program's dialog read by a screen reader in another process,
# under Wine: starts Xvfb on a free display and devserver offering the
# installer stub, runs the program with "-update" and
# accessibility_client.exe beside it. The client walks the MSAA tree, presses
# "一键升级" through accDoDefaultAction, hears the progress bar's value change
# (a loopback download may go from 0 to 100 % within one display tick) and
# finds its objects failing cleanly once the dialog has gone.
#
#   dialog_accessibility_wine.sh DEVSERVER INSTALLER PROGRAM CLIENT
#
# Runs the two .exe files with "wine" in the caller's WINEPREFIX.
set -euo pipefail
devserver=$1 installer=$2 program=$3 client=$4
fail() { echo "dialog_accessibility_wine: $*" >&2; exit 1; }

. "$(dirname "$0")/e2e_support.sh"
begin_run dialog-msaa
start_xvfb || fail "Xvfb did not start"
start_devserver "$devserver" "$installer" || fail "devserver did not start"

export ORV_DEMO_INSTALLER_MARKER="$work/installer-ran.txt"
wine "$program" -update > "$work/program.out" 2>&1 &
app=$!
pids+=($app)
timeout 120 wine "$client" > "$work/client.out" 2>&1 || { cat "$work/client.out" >&2; fail "the client failed"; }
cat "$work/client.out"
tr -d '\r' < "$work/client.out" > "$work/client.txt"
expect() { grep -qF -- "$1" "$work/client.txt" || fail "the client never printed: $1"; }
expect 'window role=10 name="奥凡 在线升级"'
expect 'child role=43 name="一键升级" value="" state=0x'
expect 'child role=43 name="最小化"'
expect 'child role=41 name="哇！发现了新版本~"'
expect 'default action "press"'
expect 'pressed'
# The event names the progress bar; its value can be read only while the
# dialog lives, and a loopback download may end it before the client asks.
grep -Eq '^value event child=-[0-9]+ value="([0-9]+%|<not readable>)"$' "$work/client.txt" ||
    fail "no progress value change was heard"
expect 'ok'
for _ in $(seq 200); do kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
await 10 test -s "$work/installer-ran.txt" || fail "the installer did not start"
echo "dialog_accessibility_wine: tree read, 一键升级 pressed, progress heard, stale objects failed cleanly"
