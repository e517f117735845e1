# Helpers of the dialog's end-to-end scripts (bash; sourced). The script sets
# $work (its temporary folder) and the array pids (processes to end) first,
# or has begin_run set them.

# Makes $work, a temporary folder named after $1, and the list pids of
# processes to end; both go when the script exits.
begin_run() {
    work=$(mktemp -d "/tmp/orv-$1.XXXXXX")
    pids=()
    trap end_run EXIT
}
end_run() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}

# Polls a command (or function) every 50 ms for up to $1 seconds.
await() {
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.05
    done
}

# The first shown window that "xdotool search" finds with the arguments after
# $1, awaited for up to $1 seconds; its id goes to stdout. Each try is a
# search of its own: one that meets a window closing during its walk ends on
# an X error, and the next try goes on.
find_window() {
    local seconds=$1
    shift
    await "$seconds" bash -c 'xdotool search --onlyvisible "$@" 2> /dev/null | head -n 1 | grep .' _ "$@"
}

# Starts an Xvfb of one 24-bit screen of $1 (default 1280x800) on a free
# display and points DISPLAY at it. False when it did not start.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "${1:-1280x800}x24" -nolisten tcp -noreset 3> "$work/display" 2>> "$work/xvfb.log" &
    pids+=($!)
    await 20 test -s "$work/display" || return 1
    export DISPLAY=":$(cat "$work/display")"
}

# Starts a real X.Org server with the dummy video driver on a free display
# and points DISPLAY at it: no input devices, one 1280 x 800 monitor (DUMMY0)
# on a screen that may grow to 2560 x 800, so that a second can be added
# with xrandr. Compositing
# managers and RandR monitors behave there as on the X servers of remote and
# virtual desktops. False when it did not start.
start_xorg() {
    cat > "$work/xorg.conf" <<'CONF'
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 65536
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
    Modeline "1280x800" 83.46 1280 1344 1480 1680 800 801 804 828
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "1280x800"
        Virtual 2560 800
    EndSubSection
EndSection
CONF
    Xorg -config "$work/xorg.conf" -configdir "$work/xorg.conf.d" -logfile "$work/xorg.log" \
        -nolisten tcp -noreset -displayfd 3 3> "$work/display" >> "$work/xorg.out" 2>&1 &
    pids+=($!)
    await 20 test -s "$work/display" || return 1
    export DISPLAY=":$(cat "$work/display")"
}

# Starts devserver ($1) offering the installer ($2) as files/Update.exe, its
# requests logged to $work/requests.jsonl, and aims the program at it
# (ORV_API_BASE). False when it did not start.
start_devserver() {
    mkdir -p "$work/files"
    cp "$2" "$work/files/Update.exe"
    "$1" --port 0 --static "$work/files" --log "$work/requests.jsonl" > "$work/devserver.out" &
    pids+=($!)
    await 10 grep -qs '^http ' "$work/devserver.out" || return 1
    export ORV_API_BASE="http://127.0.0.1:$(sed -n 's/^http \([0-9]*\).*/\1/p' "$work/devserver.out")/"
}

# The whole screen, handed to ImageMagick's convert with the arguments
# given. xwd reads the root window's pixels as the X server holds them; where
# a compositing manager draws into the Composite overlay window (picom,
# xfwm4: the script sets overlay=1 while one runs), the overlay is read
# instead (ORV_OVERLAY_CAPTURE, orv_overlay_capture), because the server
# answers a read of the root with the raw, unblended pixels of every 32-bit
# window on it. ImageMagick's "import -window root" puts the picture together
# from the windows' own contents and shows a window the screen does not.
screen_to() {
    if [ "${overlay:-0}" = 1 ] && [ -n "${ORV_OVERLAY_CAPTURE:-}" ]; then
        "$ORV_OVERLAY_CAPTURE" | convert ppm:- "$@"
    else
        xwd -root -silent | convert xwd:- "$@"
    fi
}

# What the screen shows in the rectangle $1 ("WxH+X+Y"), as the PNG $2.
capture_screen() { screen_to -crop "$1" +repage "$2"; }

# The whole screen as $ORV_E2E_SHOTS/$1.png, when ORV_E2E_SHOTS names a
# folder: for a person to look at what a run showed.
save_screen() {
    [ -n "${ORV_E2E_SHOTS:-}" ] || return 0
    screen_to "$ORV_E2E_SHOTS/$1.png"
}

# The window's pixels are painted and stay the same for 0.3 s; the last
# capture is $work/b.png. False after 10 s. Painted is bright and not of one
# colour: the X server fills a window it has just mapped or resized with its
# background (black, or the dialog's white), and a slow build (TSan) can
# take seconds to draw at a new scale while that fill holds still.
await_settled() {
    await 10 bash -c "import -window $1 '$work/a.png' 2>/dev/null; sleep 0.3; import -window $1 '$work/b.png' 2>/dev/null; \
        [ \"\$(convert '$work/b.png' -format '%[fx:mean>0.3&&standard_deviation>0]' \
            info:)\" = 1 ] && \
        [ \"\$(compare -metric AE '$work/a.png' '$work/b.png' null: 2>&1)\" = 0 ]"
}

# Starts openbox told not to focus new windows (focusNew "no"; the rest of its
# configuration as it comes) and waits until it manages the screen. False
# when it did not start.
start_openbox_without_focus_new() {
    cat > "$work/openbox-rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>no</focusNew></focus>
</openbox_config>
XML
    openbox --sm-disable --config-file "$work/openbox-rc.xml" > "$work/openbox.log" 2>&1 &
    pids+=($!)
    await 20 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'"
}
