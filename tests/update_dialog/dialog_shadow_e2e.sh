#!/bin/bash
# The dialog's shadow under a compositing desktop, as a user meets it: it
# shows exactly where and when the dialog shows. On a real X.Org server
# (dummy driver) with the window manager of $ORV_E2E_DESKTOP, the dialog
# opens over a light backdrop window that every workspace shows; each case
# below then acts as a user would and judges the windows' states (the
# shadow's edge windows: shown or not, their place, their stacking) and the
# screen as the compositor drew it (the Composite overlay): a pixel 2 pixels
# outside the dialog's left and top edges is shaded where the shadow shows,
# and is the colour of what lies there where it does not.
#   minimise   minimised, no shadow is shown; restored, it is back
#   workspace  on another workspace, none; back on the dialog's, it is back
#   stacking   a window the user turns to from the dialog shows no shadow
#              across it, and stays in front, however late the program reads
#              its events
#   drag       during a drag of the caption the shadow is around the dialog
#   dpi        after Xft.dpi 144 -> 192 -> 120 -> 96 the shadow is around it
#
#   dialog_shadow_e2e.sh DEVSERVER INSTALLER PROGRAM
#
# ORV_E2E_DESKTOP: "openbox-picom", "xfwm4", "mutter" (--x11) or "kwin"
# (kwin_x11); ORV_SHADOW_CASES may name fewer cases. Every case runs, each
# prints "pass" or "FAIL" with what it saw; the script fails if one did.
set -euo pipefail
devserver=$1 installer=$2 program=$3
desktop=${ORV_E2E_DESKTOP:-openbox-picom}
cases=${ORV_SHADOW_CASES-minimise workspace stacking drag dpi}
fail() { echo "dialog_shadow_e2e ($desktop): $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || { echo "dialog_shadow_e2e: X.Org needs root here; skipped"; exit 77; }

. "$(dirname "$0")/e2e_support.sh"
begin_run dialog-shadow
# The desktop's process groups (with their D-Bus sessions) end first.
groups=()
end_groups() {
    local group
    for group in "${groups[@]}"; do kill -- "-$group" 2>/dev/null || true; done
    end_run
}
trap end_groups EXIT
export XDG_RUNTIME_DIR="$work" ORV_REGISTRY="$work/registry.db" XDG_DATA_HOME="$work/data"
start_xorg || fail "X.Org did not start (see xorg.log)"

window_manager_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
# Each desktop in a process group of its own, so that ending it ends what
# it started.
case "$desktop" in
    openbox-picom)
        setsid openbox --sm-disable > "$work/wm.log" 2>&1 &
        groups+=($!)
        await 20 window_manager_runs || fail "openbox did not start"
        setsid picom --config /dev/null --backend xrender > "$work/compositor.log" 2>&1 & ;;
    xfwm4) setsid dbus-run-session -- xfwm4 --compositor=on > "$work/wm.log" 2>&1 & ;;
    mutter) setsid dbus-run-session -- env LIBGL_ALWAYS_SOFTWARE=1 mutter --x11 --replace \
                > "$work/wm.log" 2>&1 & ;;
    kwin) setsid dbus-run-session -- env QT_QPA_PLATFORM=xcb KWIN_COMPOSE=O2 kwin_x11 --replace \
              > "$work/wm.log" 2>&1 & ;;
    *) fail "unknown desktop" ;;
esac
groups+=($!)
overlay=1
await 30 window_manager_runs || fail "the window manager did not start (see wm.log)"
desktops() { [ "$(xdotool get_num_desktops 2> /dev/null)" -ge 2 ]; }
xdotool set_num_desktops 2
await 10 desktops || fail "the window manager keeps $(xdotool get_num_desktops) workspace(s)"

# A plain window of colour $2 at geometry $1; its id goes to $plain.
plain_window() {
    xlogo -geometry "$1" -bg "$2" -fg "$2" -name "orv-plain-$3" > /dev/null 2>&1 &
    pids+=($!)
    plain=$(find_window 30 --classname "^orv-plain-$3\$") ||
        fail "the $3 window did not show"
}
backdrop_colour=c8c8c8 cover_colour=3070f0
plain_window 1200x760+40+20 "#$backdrop_colour" backdrop
backdrop=$plain
xdotool set_desktop_for_window "$backdrop" -1

start_devserver "$devserver" "$installer" || fail "devserver did not start"
"$program" -update > "$work/program.out" 2>&1 &
app=$!
pids+=($app)
window=$(find_window 60 --name '^奥凡 在线升级$') ||
    fail "no window titled 奥凡 在线升级"
await 20 grep -q '"r":"api/update/v2"' "$work/requests.jsonl" || fail "the update query never came"
# The user turns to the dialog before each case: a window manager may have
# put it behind the backdrop (at its start, or when a window over it closed).
turn_to_dialog() { timeout 5 xdotool windowactivate --sync "$window" > /dev/null 2>&1 || true; }
turn_to_dialog

# The dialog's place: X Y W H.
placement() {
    xwininfo -id "${1:-$window}" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}
# The shadow's edge windows that are shown: their ids, and "X Y W H" each.
edge_ids() {
    local each
    for each in $(xdotool search --class '^SkinUIWndLace$'); do
        xwininfo -id "$each" | grep -q IsViewable && echo "$each"
    done
    return 0
}
shown_edges() {
    local each
    for each in $(edge_ids); do placement "$each"; done
}
# The window manager's frame of window $1: its ancestor that is a child of the root.
frame_of() {
    local id=$1 parent
    while parent=$(xwininfo -id "$id" -tree | awk '/Parent window id/ {print $4}') &&
        ! xwininfo -id "$parent" | grep -q '(the root window)'; do id=$parent; done
    printf '%d\n' "$id"
}
# The root's children, bottom first, as decimal ids.
stacking() {
    xwininfo -root -children | awk '/^     0x/ {print $1}' | tac | while read -r id; do printf '%d\n' "$id"; done
}
# The shown edges lie directly below the dialog's frame, nothing between.
edges_below_frame() {
    local frame edges order count
    frame=$(frame_of "$window")
    edges=$(edge_ids | sort)
    count=$(echo "$edges" | grep -c .)
    order=$(stacking | grep -B "$count" -x "$frame" | head -n "$count" | sort)
    [ "$count" -gt 0 ] && [ "$order" = "$edges" ]
}
# The shown edges reach 8 pixels around the dialog and cover none of it.
edges_around() {
    local x y w h
    read -r x y w h < <(placement)
    [ "$(shown_edges | awk '{ r = $1 + $3; b = $2 + $4; if (NR == 1 || $1 < L) L = $1; if (NR == 1 || $2 < T) T = $2
            if (NR == 1 || r > R) R = r; if (NR == 1 || b > B) B = b } END { if (NR) print L, T, R - L, B - T }')" \
        = "$((x - 8)) $((y - 8)) $((w + 16)) $((h + 16))" ] &&
        ! shown_edges | awk -v x="$x" -v y="$y" -v w="$w" -v h="$h" \
            '$1 < x + w && $1 + $3 > x && $2 < y + h && $2 + $4 > y { covers = 1 } END { exit !covers }'
}
no_edges() { [ -z "$(shown_edges)" ]; }
# Every shown edge is shaped to nothing: windows above the dialog cover it all.
edges_cut_away() {
    local each
    for each in $(edge_ids); do xwininfo -shape -id "$each" | grep -q 'Window shape extents:  0x0+' || return 1; done
}
# The window manager has handled everything sent to it before: it answers in
# order, and a workspace more, then one less, shows once it came this far.
window_manager_caught_up() {
    local count
    count=$(xdotool get_num_desktops) || return 1
    xdotool set_num_desktops $((count + 1))
    await 10 bash -c "[ \"\$(xdotool get_num_desktops)\" = $((count + 1)) ]" || return 1
    xdotool set_num_desktops "$count"
    await 10 bash -c "[ \"\$(xdotool get_num_desktops)\" = $count ]"
}
# The screen 2 pixels left of and above the rectangle X Y W H, as "RRGGBB RRGGBB".
outside_pixels() {
    local x=$1 y=$2 w=$3 h=$4
    screen_to "$work/screen.png" || return 1
    convert "$work/screen.png" \
        -format "%[hex:p{$((x - 2)),$((y + h / 2))}] %[hex:p{$((x + w / 2)),$((y - 2))}]" info:
}
# Both pixels shaded: darker than the backdrop, keeping more than a third of its light.
shaded_at() {
    local pixel
    for pixel in $(outside_pixels "$@"); do
        local grey=$(( (16#${pixel:0:2} + 16#${pixel:2:2} + 16#${pixel:4:2}) / 3 ))
        local light=$((16#${backdrop_colour:0:2}))
        [ "$grey" -lt $((light - 4)) ] && [ "$grey" -gt $((light / 3)) ] || return 1
    done
}
# Both pixels exactly colour $5.
plain_at() { [ "$(outside_pixels "$1" "$2" "$3" "$4")" = "${5^^} ${5^^}" ]; }
shadow_on_screen() { shaded_at $(placement); }
shadow_shown() { edges_around && shadow_on_screen; }

failures=0
verdict() {  # case, result, what was seen
    if [ "$2" = pass ]; then echo "dialog_shadow_e2e ($desktop) $1: pass"
    else echo "dialog_shadow_e2e ($desktop) $1: FAIL: $3" >&2; failures=$((failures + 1)); fi
}
# Judges "$2" (a command) within 10 s; on failure records $3 for case $1 and
# saves the screen as shadow-DESKTOP-CASE.png where ORV_E2E_SHOTS says.
expect() {
    await 10 $2 && return 0
    verdict "$1" fail "$3 (edges: $(shown_edges | paste -sd, -))"
    save_screen "shadow-$desktop-$1"
    return 1
}
iconic() { xprop -id "$window" WM_STATE | grep -q Iconic; }
on_desktop() { [ "$(xdotool get_desktop)" = "$1" ]; }
geometry_is() { [ "$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')" = "$1" ]; }
set_xft_dpi() { xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "$(printf 'Xft.dpi:\t%s\n' "$1")"; }

case_minimise() {
    local x y w h
    read -r x y w h < <(placement)
    xdotool windowminimize "$window"
    expect minimise iconic "the dialog did not minimise" &&
        expect minimise no_edges "the shadow stayed shown while the dialog is minimised" &&
        expect minimise "plain_at $x $y $w $h $backdrop_colour" "the screen shows a shadow where the dialog was"
    local ok=$?
    xdotool windowactivate "$window" 2> /dev/null || true
    [ $ok = 0 ] && expect minimise shadow_shown "no shadow around the restored dialog" && verdict minimise pass
}
case_workspace() {
    local x y w h
    read -r x y w h < <(placement)
    xdotool set_desktop 1
    expect workspace "on_desktop 1" "the workspace did not change" &&
        expect workspace no_edges "the shadow shows on another workspace" &&
        expect workspace "plain_at $x $y $w $h $backdrop_colour" "the screen of another workspace shows the shadow"
    local ok=$?
    xdotool set_desktop 0
    [ $ok = 0 ] && expect workspace "on_desktop 0" "the workspace did not change back" &&
        expect workspace shadow_shown "no shadow around the dialog back on its workspace" && verdict workspace pass
}
case_stacking() {
    local x y w h
    read -r x y w h < <(placement)
    plain_window "$((w + 80))x$((h + 80))+$((x - 40))+$((y - 40))" "#$cover_colour" cover
    local cover=$plain
    # The user works in the dialog, then turns to the other window, while
    # the program reads its events late (a loaded machine): it is held
    # stopped meanwhile, so it learns of both changes afterwards.
    kill -STOP "$app"
    turn_to_dialog
    timeout 5 xdotool windowactivate --sync "$cover" > /dev/null 2>&1 || xdotool windowraise "$cover"
    kill -CONT "$app"
    # It has read both once its edges are cut away under the window now
    # over them; the window manager then handles its requests sent before.
    expect stacking edges_cut_away "the shadow's edges were not cut away under the window over the dialog" &&
        { window_manager_caught_up || { verdict stacking fail "the window manager did not answer"; false; }; } &&
        expect stacking "plain_at $x $y $w $h $cover_colour" "the shadow is drawn across the window over the dialog" &&
        expect stacking edges_below_frame "the shadow is not directly below the dialog's frame"
    local ok=$?
    kill "${pids[-1]}"
    [ $ok = 0 ] && expect stacking shadow_shown "no shadow around the dialog once the window over it closed" &&
        verdict stacking pass
}
case_drag() {
    local x y w h step moved=0
    read -r x y w h < <(placement)
    xdotool mousemove $((x + 100)) $((y + 30)) mousedown 1
    # The window manager's move starts once the program has seen the press:
    # the pointer moves on in steps until the dialog follows (10 s at most).
    for step in $(seq 50); do
        sleep 0.2
        xdotool mousemove $((x + 100 + (step % 10 + 1) * 8)) $((y + 30 + (step % 10 + 1) * 5))
        [ "$step" -lt 5 ] || [ "$(placement | cut -d' ' -f1)" = "$x" ] || break
    done
    # Still held: the dialog has moved, and its shadow with it.
    moved_and_shadowed() { [ "$(placement | cut -d' ' -f1)" != "$x" ] && edges_around && shadow_on_screen; }
    expect drag moved_and_shadowed "during the drag the shadow is not around the dialog at $(placement)"
    local ok=$?
    xdotool mouseup 1
    [ $ok = 0 ] && expect drag shadow_shown "no shadow around the dialog after the drag" && verdict drag pass
}
case_dpi() {
    local step
    for step in 144:975x645 192:1138x753 120:813x538 96:650x430; do
        set_xft_dpi "${step%%:*}"
        expect dpi "geometry_is ${step#*:}" "at Xft.dpi ${step%%:*} the dialog is not ${step#*:}" || return 0
    done
    expect dpi shadow_shown "no shadow around the dialog after the DPI changes" && verdict dpi pass
}

expect start shadow_shown "no shadow around the dialog once it opened" || fail "cannot judge the cases"
for each in $cases; do turn_to_dialog; "case_$each" || true; done
[ "$failures" = 0 ] || fail "$failures case(s) failed"
echo "dialog_shadow_e2e ($desktop): the shadow showed exactly where and when the dialog did"
