#!/bin/sh
# Runs the Windows window-system tests under Wine (with the skin's faces
# pinned in the prefix):
#   window_test_wine.sh <wine> <window_tests.exe> [arguments]
# On the X server of the run when there is one (scripts/test-windows.sh keeps
# one Wine server on it: a second display for the same server makes Wine's X
# calls fail), else on an Xvfb of their own. Wine is told not to hand windows
# to a window manager (there is none on the Xvfb, and Wine would wait for one
# whenever a managed window hides).
set -eu
wine=$1
shift
if [ -z "${DISPLAY:-}" ]; then
    fifo=$(mktemp -u /tmp/orv-xvfb.XXXXXX)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
    xvfb=$!
    trap 'kill "$xvfb" 2>/dev/null || true; rm -f "$fifo"' EXIT
    read -r display < "$fifo"
    export DISPLAY=":$display"
fi
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# The faces of the skin, whatever other fonts the machine has.
sh "$(dirname "$0")/../../scripts/wine-pin-fonts.sh" "$wine"
"$wine" "$@"
