#!/bin/bash
# The update dialog on two monitors, on a real X.Org server (dummy driver,
# two 1280 x 800 monitors side by side), judged by what the screen shows:
#   - it opens centred on the primary monitor, never across the seam, and the
#     screen shows at its place exactly the window's own pixels; also when the
#     right monitor is the primary one;
#   - when the monitor that holds all or most of it is switched off, it comes
#     back whole onto the remaining one; also when it was minimised then
#     (under openbox), once it is restored;
#   - moved far off the screen by another client, a second "-update" start
#     brings it back whole into view;
#   - when its monitor changes to 640 x 480, it moves whole onto it as far
#     as its size lets it (its top-left corner at the monitor's);
#   - beside a monitor too small for it at 0, 0, it opens on the primary one
#     at its full size.
#
#   dialog_monitors_e2e.sh DEVSERVER INSTALLER PROGRAM
#
# ORV_E2E_DESKTOP: "bare" (default, no window manager) or "openbox".
# The whole screen of each case goes to $ORV_E2E_SHOTS when it names a folder.
# X.Org with a configuration file of its own needs root: skipped (77) without.
set -euo pipefail
devserver=$1 installer=$2 program=$3
desktop=${ORV_E2E_DESKTOP:-bare}
fail() { echo "dialog_monitors_e2e ($desktop): $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || { echo "dialog_monitors_e2e: X.Org needs root here; skipped"; exit 77; }

. "$(dirname "$0")/e2e_support.sh"
begin_run dialog-monitors
start_xorg || fail "X.Org did not start (see $work/xorg.log)"
monitors() { [ "$(xrandr --listactivemonitors | sed -n 's/^Monitors: //p')" = "$1" ]; }
xrandr --newmode orv640x480 25.18 640 656 752 800 480 490 492 525
xrandr --addmode DUMMY0 orv640x480
xrandr --addmode DUMMY1 1280x800 && xrandr --output DUMMY1 --mode 1280x800 --right-of DUMMY0
await 10 monitors 2 || fail "no second monitor: $(xrandr --listactivemonitors)"
if [ "$desktop" = openbox ]; then
    openbox --sm-disable > "$work/openbox.log" 2>&1 &
    pids+=($!)
    await 20 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" || fail "openbox did not start"
fi
start_devserver "$devserver" "$installer" || fail "devserver did not start"
export ORV_REGISTRY="$work/registry.db" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work"

start_dialog() {
    "$program" -update > "$work/program.out" 2>&1 &
    app=$!
    pids+=($app)
    window=$(find_window 60 --name '^奥凡 在线升级$') ||
        fail "no window titled 奥凡 在线升级"
}
end_dialog() {
    kill "$app"
    wait "$app" 2>/dev/null || true
    await 10 bash -c "! xdotool search --name '^奥凡 在线升级\$' > /dev/null" || fail "the dialog stayed after its end"
}
# The dialog's place: X Y W H, in root coordinates.
where() {
    xdotool getwindowgeometry --shell "$window" |
        awk -F= '{v[$1] = $2} END {print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]}'
}
at() { [ "$(where)" = "$1" ]; }
# The whole screen shows at the dialog's place its own settled pixels.
on_screen() {
    local x y w h
    read -r x y w h < <(where)
    await_settled "$window" &&
        capture_screen "${w}x${h}+${x}+${y}" "$work/screen.png" 2>/dev/null &&
        [ "$(compare -metric AE "$work/b.png" "$work/screen.png" null: 2>&1)" = 0 ]
}
# The dialog lies wholly inside the rectangle X0 Y0 X1 Y1, or as far as its
# size lets it: where it is larger, it starts at the rectangle's edge.
wholly_on() {
    local x y w h
    read -r x y w h < <(where)
    [ "$x" -ge "$1" ] && [ "$y" -ge "$2" ] && { [ $((x + w)) -le "$3" ] || [ "$x" = "$1" ]; } &&
        { [ $((y + h)) -le "$4" ] || [ "$y" = "$2" ]; }
}
# The dialog lies wholly inside the monitor at X $1 (1280 x 800 at y 0), and
# the screen shows it there.
shown_inside() { wholly_on "$1" 0 $(($1 + 1280)) 800 && on_screen; }
# Some of it lies off the (1280 x 800) screen.
partly_off() { ! wholly_on 0 0 1280 800; }

# The left monitor is the primary one: centred on it, 650 x 430.
start_dialog
at "315 185 650 430" || fail "with the left monitor primary the dialog is at $(where), not 315 185 650 430"
await 20 on_screen || fail "the screen does not show the dialog (see $work/screen.png against $work/b.png)"
save_screen "monitors-$desktop-left"
end_dialog

# The right one is the primary one: centred there.
xrandr --output DUMMY1 --primary
start_dialog
at "1595 185 650 430" || fail "with the right monitor primary the dialog is at $(where), not 1595 185 650 430"
await 20 shown_inside 1280 || fail "the screen does not show the dialog on the right monitor"
save_screen "monitors-$desktop-right"

# Its monitor goes while it is minimised (openbox; without a window manager
# nothing restores it): restored, it lies whole on the remaining one.
second_monitor() {
    xrandr --output DUMMY1 --mode 1280x800 --right-of DUMMY0 --primary
    await 10 monitors 2 || fail "the right monitor did not come back: $(xrandr --listactivemonitors)"
}
if [ "$desktop" = openbox ]; then
    xdotool windowminimize --sync "$window"
    xrandr --output DUMMY1 --off
    await 10 monitors 1 || fail "the right monitor is still on: $(xrandr --listactivemonitors)"
    xdotool windowactivate --sync "$window" 2>/dev/null
    await 20 shown_inside 0 || fail "restored after its monitor went, the dialog is at $(where)"
    second_monitor
fi

# Its monitor goes with all of it, or with all but 29 of its 650 columns:
# it comes back whole onto the left one.
for x in 1595 1251; do
    monitors 2 || second_monitor
    xdotool windowmove "$window" "$x" 185
    await 10 at "$x 185 650 430" || fail "xdotool did not move the dialog to $x 185: at $(where)"
    xrandr --output DUMMY1 --off
    await 10 monitors 1 || fail "the right monitor is still on: $(xrandr --listactivemonitors)"
    await 20 shown_inside 0 || fail "the dialog did not come back whole from the monitor that went (x $x): at $(where)"
done

# Another client puts it far off (a window manager may keep a part of it on
# the screen); a second start brings it back whole.
for far in "20000 20000" "-5000 -5000"; do
    read -r x y <<< "$far"
    xdotool windowmove "$window" "$x" "$y"
    await 10 partly_off ||
        fail "xdotool did not move the dialog off the screen: at $(where)"
    timeout 30 "$program" -update > "$work/second.out" 2>&1 || fail "the second start exited with $?"
    await 20 shown_inside 0 || fail "a second start did not bring the dialog back whole from $far: at $(where)"
done

# Its monitor changes to 640 x 480: it moves onto it, its top-left corner
# first (it is 650 wide).
xdotool windowmove "$window" 315 185
await 10 at "315 185 650 430" || fail "xdotool did not move the dialog to 315 185: at $(where)"
xrandr --output DUMMY0 --mode orv640x480
await 10 bash -c "xrandr --listactivemonitors | grep -q ' 640/'" || fail "DUMMY0 did not change to 640 x 480"
await 20 wholly_on 0 0 640 480 || fail "after its monitor changed to 640 x 480 the dialog is at $(where)"
save_screen "monitors-$desktop-640x480"
end_dialog

# A small monitor at 0, 0 and the primary one right of it: the dialog is made
# for the monitor it opens on, at its full size there.
xrandr --output DUMMY1 --mode 1280x800 --right-of DUMMY0 --primary
await 10 monitors 2 || fail "no second monitor beside the small one: $(xrandr --listactivemonitors)"
start_dialog
at "955 185 650 430" || fail "beside a small monitor the dialog is at $(where), not 955 185 650 430"
await 20 shown_inside 640 || fail "the screen does not show the dialog beside the small monitor"
save_screen "monitors-$desktop-small-left"
end_dialog
echo "dialog_monitors_e2e ($desktop): the dialog opened on the primary monitor, at its size there, and came back onto the screen"
