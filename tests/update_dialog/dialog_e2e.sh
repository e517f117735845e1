#!/bin/bash
# The update dialog as a user meets it, on a real X server, judged by what
# the screen shows: starts Xvfb on a free display (with openbox as window
# manager when asked) and devserver offering the installer stub, runs the
# program with "-update", finds its window by the title "奥凡 在线升级",
# checks that it is 650 x 430, centred, painted, and that a capture of the
# whole screen shows at its place exactly the window's own pixels; then clicks
# "一键升级" with xdotool and checks that the installer was downloaded,
# checked and started with "-inst_update", that the dialog closed and that
# the program exited with 0.
#
#   dialog_e2e.sh DEVSERVER INSTALLER PROGRAM [RUNNER...]
#
# ORV_E2E_DESKTOP chooses the desktop: "bare" (default: Xvfb, no window
# manager; a compositor is started and stopped on the way), "openbox" (no
# window of the program may get a frame; the caption drag, minimise, restore
# by a second start and the manager's close work), or a compositing desktop
# on a real X.Org server (dummy video driver): "xfwm4" (Xfce's window manager
# with its compositor), "picom" or "xcompmgr" (each beside openbox; stopped
# and started again on the way). Wherever a compositor runs, the screen must
# still show the dialog's own pixels, and the shadow must lie around the
# dialog, shading the desktop, without covering it; where none runs, no
# shadow is shown.
# RUNNER runs the program (for example "wine" for the Windows build, with the
# caller's WINEPREFIX); none runs it directly. The whole screen showing the
# offer goes to $ORV_E2E_SHOTS/offer-DESKTOP[-RUNNER].png when it names a folder.
set -euo pipefail
devserver=$1 installer=$2 program=$3
shift 3
runner=("$@")
desktop=${ORV_E2E_DESKTOP:-bare}
fail() { echo "dialog_e2e ($desktop): $*" >&2; exit 1; }

. "$(dirname "$0")/e2e_support.sh"
begin_run dialog-e2e
# Waits up to $2 seconds for process $1 to end; its exit code goes to $code.
await_exit() {
    for _ in $(seq $(($2 * 20))); do kill -0 "$1" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$1" 2>/dev/null && return 1
    code=0
    wait "$1" || code=$?
}

window_manager_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
start_openbox() {
    openbox --sm-disable > "$work/openbox.log" 2>&1 &
    pids+=($!)
    await 20 window_manager_runs || fail "openbox did not start"
}
# Starts the compositing manager of the desktop in a process group of its
# own, so that stopping it ends what it started.
start_compositor() {
    case "$desktop" in
        bare | picom) setsid picom --config /dev/null --backend xrender > "$work/compositor.log" 2>&1 & ;;
        xcompmgr) setsid xcompmgr -a > "$work/compositor.log" 2>&1 & ;;
        xfwm4) setsid dbus-run-session -- xfwm4 --compositor=on > "$work/compositor.log" 2>&1 & ;;
    esac
    compositor=$!
    pids+=($compositor)
    # picom and xfwm4 draw the screen into the overlay window: read it there.
    # (xcompmgr -a leaves the drawing to the X server.)
    [ "$desktop" = xcompmgr ] || overlay=1
}
stop_compositor() {
    overlay=0
    kill -- "-$compositor" 2>/dev/null || kill "$compositor"
}

# X.Org with a configuration file of its own needs root: skipped (77) without.
case "$desktop" in
    picom | xcompmgr | xfwm4)
        [ "$(id -u)" = 0 ] || { echo "dialog_e2e ($desktop): X.Org needs root here; skipped"; exit 77; } ;;
esac
case "$desktop" in
    bare) start_xvfb || fail "Xvfb did not start" ;;
    openbox) start_xvfb || fail "Xvfb did not start"; start_openbox ;;
    picom | xcompmgr) start_xorg || fail "X.Org did not start (see xorg.log)"; start_openbox; start_compositor ;;
    xfwm4) start_xorg || fail "X.Org did not start (see xorg.log)"; start_compositor
           await 20 window_manager_runs || fail "xfwm4 did not start" ;;
    *) fail "unknown desktop" ;;
esac

start_devserver "$devserver" "$installer" || fail "devserver did not start"

# The program's own state lives in the work folder (the POSIX stand-ins;
# under Wine the caller's prefix holds it).
export ORV_DEMO_INSTALLER_MARKER="$work/installer-ran.txt"
export ORV_REGISTRY="$work/registry.db" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work"
start_dialog() {
    "${runner[@]}" "$program" -update > "$work/program.out" 2>&1 &
    app=$!
    pids+=($app)
    window=$(find_window 60 --name '^奥凡 在线升级$') ||
        fail "no window titled 奥凡 在线升级"
}

# The window's place on the screen: X Y W H.
placement() {
    xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}
# The window's own pixels and the screen's at its place, as $1-window.png and
# $1-screen.png; succeeds when they are the same and the window is painted
# (not the X server's black).
screen_shows_window() {
    local x y w h
    read -r x y w h < <(placement)
    import -window "$window" "$work/$1-window.png" 2>/dev/null || return 1
    capture_screen "${w}x${h}+${x}+${y}" "$work/$1-screen.png" 2>/dev/null || return 1
    [ "$(convert "$work/$1-window.png" -format '%[fx:mean>0.3]' info:)" = 1 ] &&
        [ "$(compare -metric AE "$work/$1-window.png" "$work/$1-screen.png" null: 2>&1)" = 0 ]
}
# The screen shows the window, settled: two captures a moment apart alike.
screen_settled() {
    screen_shows_window a && sleep 0.3 && screen_shows_window "$1" &&
        [ "$(compare -metric AE "$work/a-window.png" "$work/$1-window.png" null: 2>&1)" = 0 ]
}
await_screen() {
    await 10 screen_settled "$1" ||
        fail "$2: the screen does not show the dialog (see $1-screen.png against $1-window.png)"
}
# The program's shadow windows that are shown (all of them with "all"), one
# "X Y W H" each.
shown_shadow() {
    local each
    for each in $(xdotool search --class '^SkinUIWndLace$'); do
        if [ "${1:-}" = all ] || xwininfo -id "$each" | grep -q IsViewable; then window=$each placement; fi
    done
}
# The rectangle that holds rectangles "X Y W H" read from stdin.
bounds() { awk '{ r = $1 + $3; b = $2 + $4; if (NR == 1 || $1 < L) L = $1; if (NR == 1 || $2 < T) T = $2
                  if (NR == 1 || r > R) R = r; if (NR == 1 || b > B) B = b }
                END { if (NR) print L, T, R - L, B - T }'; }
shadow_shown() { [ -n "$(shown_shadow)" ]; }
shadow_hidden() { [ -z "$(shown_shadow)" ]; }
# The shown shadow reaches 8 pixels around the dialog and covers none of it.
shadow_around() {
    local x y w h
    read -r x y w h < <(placement)
    [ "$(shown_shadow | bounds)" = "$((x - 8)) $((y - 8)) $((w + 16)) $((h + 16))" ] &&
        ! shown_shadow | awk -v x="$x" -v y="$y" -v w="$w" -v h="$h" \
            '$1 < x + w && $1 + $3 > x && $2 < y + h && $2 + $4 > y { covers = 1 } END { exit !covers }'
}
# Where the screen is read as the compositor drew it: next to the dialog's
# left edge the shadow darkens the desktop, keeping more than half of its
# light (an opaque or unblended shadow is near black there; on a black
# desktop, as xfwm4's, there is nothing to see).
shadow_translucent() {
    [ "${overlay:-0}" = 1 ] || return 0
    local x y w h desktop_grey shadow_grey
    read -r x y w h < <(placement)
    capture_screen "16x1+$((x - 16))+$((y + h / 2))" "$work/edge.png" || return 1
    desktop_grey=$(convert "$work/edge.png" -format '%[fx:int(255*p{0,0}.intensity)]' info:)
    shadow_grey=$(convert "$work/edge.png" -format '%[fx:int(255*p{15,0}.intensity)]' info:)
    [ "$desktop_grey" -eq 0 ] || { [ "$shadow_grey" -gt $((desktop_grey / 2)) ] && [ "$shadow_grey" -lt "$desktop_grey" ]; }
}
# While a compositor runs: the shadow is shown around the dialog, it shades
# the desktop, and the screen shows the dialog's own pixels.
judge_composited() {
    await 10 shadow_shown || fail "$1: no shadow while the compositor runs"
    shadow_around || fail "$1: the shadow is not 8 pixels around the dialog, or covers it: $(shown_shadow)"
    await 10 shadow_translucent || fail "$1: the shadow does not shade the desktop (see edge.png)"
    await_screen composited "$1"
}
judge_uncomposited() {
    await 10 shadow_hidden || fail "$1: the shadow stayed without a compositor"
    await_screen uncomposited "$1"
}

# The frame a window manager gave window $1, as _NET_FRAME_EXTENTS.
frame_extents_of() { xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.* = //p'; }

start_dialog
# 650 x 430, centred on the 1280 x 800 screen's work area (no panels here).
[ "$(placement)" = "315 185 650 430" ] || fail "the window is at $(placement), not 315 185 650 430"
# The desktop shows the program's large and small icons.
icons=$(xprop -id "$window" _NET_WM_ICON 2>/dev/null)
for size in 32 16; do
    case "$icons" in *"Icon ($size x $size)"*) ;; *) fail "the window has no $size-pixel icon";; esac
done

# The offer arrives a second after the start; then the page shows it.
await 20 grep -q '"r":"api/update/v2"' "$work/requests.jsonl" || fail "the update query never came"
await_screen offer "the offer"
if [ ${#runner[@]} -eq 0 ]; then save_screen "offer-$desktop"; else save_screen "offer-$desktop-$(basename "${runner[0]}")"; fi

# A compositor that starts shows the shadow around the dialog, one that
# stops hides it again; the screen shows the dialog throughout. (Wine
# reports no desktop composition: its dialog never has a shadow.)
if [ ${#runner[@]} -eq 0 ]; then
    case "$desktop" in
        bare)
            shadow_hidden || fail "a shadow is shown without a compositor"
            start_compositor
            judge_composited "under picom"
            stop_compositor
            judge_uncomposited "after picom" ;;
        picom | xcompmgr)
            judge_composited "under $desktop"
            stop_compositor
            judge_uncomposited "after $desktop stopped"
            start_compositor
            judge_composited "under $desktop started again" ;;
        xfwm4) judge_composited "under xfwm4" ;;
        *) shadow_hidden || fail "a shadow is shown without a compositor" ;;
    esac
fi

if [ "$desktop" != bare ]; then
    for each in $(xdotool search --pid "$app"); do
        extents=$(frame_extents_of "$each")
        [ -z "$extents" ] || [ "$extents" = "0, 0, 0, 0" ] || fail "window $each has a frame: $extents"
    done
fi
if [ "$desktop" = openbox ]; then
    # Dragging the caption moves the dialog (and the shadow with it). The
    # window manager's move starts once the program has seen the press, which
    # a slow build on a loaded machine may take a moment to do: the button is
    # held a while at each step, longer when a drag did not take.
    moved_to() { [ "$(placement)" = "$1" ]; }
    for hold in 0.2 0.6 1.5; do
        read -r x y w h < <(placement)
        xdotool mousemove $((x + 100)) $((y + 60)) mousedown 1 sleep "$hold" \
            mousemove $((x + 140)) $((y + 80)) sleep "$hold" mousemove $((x + 180)) $((y + 100)) sleep "$hold" mouseup 1
        await 5 moved_to "$((x + 80)) $((y + 40)) $w $h" && break
    done
    moved_to "$((x + 80)) $((y + 40)) $w $h" || fail "dragging the caption did not move the dialog: $(placement)"
    [ "$(shown_shadow all | bounds)" = "$((x + 72)) $((y + 32)) $((w + 16)) $((h + 16))" ] ||
        fail "the shadow did not follow the dialog"
    await_screen moved "after the drag"
    # The minimise button iconifies it; a second start brings it back.
    read -r x y w h < <(placement)
    xdotool mousemove $((x + 609)) $((y + 16)) click 1
    iconic() { xprop -id "$window" WM_STATE | grep -q Iconic; }
    await 10 iconic || fail "the minimise button did not iconify"
fi

# A second start finds the running dialog by its window class and only
# brings it forward: no second window, exit code 0.
"${runner[@]}" "$program" -update > "$work/second.out" 2>&1 &
second=$!
pids+=($second)
await_exit "$second" 30 || fail "the second start did not end"
[ "$code" -eq 0 ] || fail "the second start exited with $code"
count=$(xdotool search --onlyvisible --name '^奥凡 在线升级$' | wc -l)
[ "$count" -eq 1 ] || fail "$count dialog windows after the second start"
# Windows decides itself whether another process may take the foreground
# (under Wine without a window manager it keeps the focus where it is); our
# own X11 window system and openbox hand it over.
if [ ${#runner[@]} -eq 0 ]; then
    focused() { [ "$(xdotool getwindowfocus)" = "$window" ]; }
    await 10 focused || fail "the second start did not bring the dialog forward"
fi
await_screen restored "after the second start"

# "一键升级" sits in the middle of the white body below the header.
xdotool mousemove --window "$window" 325 355 click 1
await 30 grep -q '"path":"/files/Update.exe"' "$work/requests.jsonl" || fail "the installer was not downloaded"
await_exit "$app" 30 || fail "the dialog did not close"
[ "$code" -eq 0 ] || fail "the program exited with $code: $(cat "$work/program.out")"
await 10 test -s "$work/installer-ran.txt" || fail "the installer did not start"
[ "$(cat "$work/installer-ran.txt")" = "ran -inst_update" ] ||
    fail "the installer recorded: $(cat "$work/installer-ran.txt")"

if [ "$desktop" = openbox ]; then
    # The window manager's close (Alt+F4) is the close button: the dialog
    # ends with 0 and nothing is started.
    rm -f "$work/installer-ran.txt"
    start_dialog
    xdotool windowactivate --sync "$window"
    xdotool key alt+F4
    await_exit "$app" 30 || fail "Alt+F4 did not close the dialog"
    [ "$code" -eq 0 ] || fail "the program closed by Alt+F4 exited with $code"
    [ ! -e "$work/installer-ran.txt" ] || fail "an installer started after Alt+F4"
fi
echo "dialog_e2e ($desktop): the screen showed the dialog; installer downloaded, checked and started, exit code 0"
