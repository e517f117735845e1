#!/bin/bash
# The update dialog under openbox when another client (a pager, a script)
# asks the window manager to maximise it or make it full-screen. The dialog
# has one size and its size hints say so: openbox offers no maximising and
# leaves it be; full screen, which openbox grants anyway, leaves the dialog
# its size. Either way the screen shows the dialog as before, banner and
# title-bar buttons included. A new DPI still resizes it (its hints change
# first): Xft.dpi 144 makes it 975 x 645.
#
#   dialog_maximise_e2e.sh DEVSERVER INSTALLER PROGRAM
set -euo pipefail
devserver=$1 installer=$2 program=$3
fail() { echo "dialog_maximise_e2e: $*" >&2; exit 1; }

. "$(dirname "$0")/e2e_support.sh"
begin_run dialog-maximise
start_xvfb 1280x800 || fail "Xvfb did not start"
openbox --sm-disable > "$work/openbox.log" 2>&1 &
pids+=($!)
await 10 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" || fail "openbox did not start"
start_devserver "$devserver" "$installer" || fail "devserver did not start"
export ORV_REGISTRY="$work/registry.db" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work"
"$program" -update > "$work/program.out" 2>&1 &
pids+=($!)
window=$(find_window 60 --name '^奥凡 在线升级$') ||
    fail "no window titled 奥凡 在线升级"
await 20 grep -q '"r":"api/update/v2"' "$work/requests.jsonl" || fail "the update query never came"
await_settled "$window" || fail "the dialog did not settle"

geometry() { xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'; }
is_size() { [ "$(geometry)" = "$1" ]; }
# The screen's pixels where the dialog is, into $1.
capture_dialog() {
    local at
    at=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Position: \([0-9-]*\),\([0-9-]*\).*/+\1+\2/p')
    import -window root -crop "$(geometry)$at" +repage "$1"
}
same_as_before() {
    capture_dialog "$work/after.png" &&
        [ "$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1)" = 0 ]
}
# Sends the window manager _NET_WM_STATE for the dialog: action $1 (1 add,
# 0 remove) of the states $2 and $3 (atom names, or 0).
request_state() {
    python3 - "$window" "$@" <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype, x.XOpenDisplay.argtypes = ctypes.c_void_p, [ctypes.c_char_p]
x.XDefaultRootWindow.restype, x.XDefaultRootWindow.argtypes = ctypes.c_ulong, [ctypes.c_void_p]
x.XInternAtom.restype, x.XInternAtom.argtypes = ctypes.c_ulong, [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5), ("pad", ctypes.c_long * 16)]
d = x.XOpenDisplay(None)
atom = lambda name: 0 if name == "0" else x.XInternAtom(d, name.encode(), 0)
e = ClientMessage(type=33, send_event=1, window=int(sys.argv[1]), message_type=atom("_NET_WM_STATE"), format=32)
e.l[0], e.l[1], e.l[2], e.l[3] = int(sys.argv[2]), atom(sys.argv[3]), atom(sys.argv[4]), 2
SubstructureRedirectMask, SubstructureNotifyMask = 1 << 20, 1 << 19
x.XSendEvent(d, x.XDefaultRootWindow(d), 0, SubstructureRedirectMask | SubstructureNotifyMask, ctypes.byref(e))
x.XCloseDisplay(d)
PY
}
has_state() { xprop -id "$window" _NET_WM_STATE | grep -q "$1"; }

capture_dialog "$work/before.png"
actions=$(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS)
case "$actions" in *MAXIMIZE*|*RESIZE*) fail "openbox offers to resize the dialog: $actions" ;; esac

# Openbox handles requests in order: once the later "above" is set, it has
# decided on the maximising.
request_state 1 _NET_WM_STATE_MAXIMIZED_VERT _NET_WM_STATE_MAXIMIZED_HORZ
request_state 1 _NET_WM_STATE_ABOVE 0
await 10 has_state _NET_WM_STATE_ABOVE || fail "openbox did not answer"
has_state MAXIMIZED && fail "openbox maximised the dialog"
await 10 same_as_before || fail "asked to maximise, the dialog is $(geometry) and looks otherwise"

request_state 1 _NET_WM_STATE_FULLSCREEN 0
await 10 has_state _NET_WM_STATE_FULLSCREEN || fail "openbox did not make the dialog full-screen"
await 10 same_as_before || fail "made full-screen, the dialog is $(geometry) and looks otherwise"

xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "$(printf 'Xft.dpi:\t144\n')"
await 10 is_size 975x645 || fail "at 144 DPI under openbox the dialog is $(geometry), not 975x645"
echo "dialog_maximise_e2e: openbox offers no maximising; maximised or full-screen, the dialog keeps its size and" \
     "looks; a new DPI resizes it"
