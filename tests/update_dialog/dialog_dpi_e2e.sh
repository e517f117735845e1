#!/bin/bash
# The update dialog at other DPIs, on a real X server, as a user meets it:
# the window's size, the size of its text (the ink of the offer's heading
# against the window's width, compared with the same run at 96 DPI) and the
# place of "一键升级", which is clicked where the scaled skin shows it; the
# installer must then start. devserver offers the installer stub.
#
#   dialog_dpi_e2e.sh DEVSERVER INSTALLER PROGRAM [RUNNER...]
#
# Natively (no RUNNER) the DPI is Xft.dpi on the root's RESOURCE_MANAGER:
#   96 -> 192 while the dialog is open: 650 x 430, then 1300 x 860 (200 %);
#   144 at the start: 975 x 645 (150 %);
#   192 at the start on a 1280 x 800 screen: 1138 x 753 (175 %, the largest
#   step at which the dialog fits); then, while one dialog stays open, back
#   to 96 and on to 144 (the skin's size at each scale), values no display
#   means (each counts as 96) between sane ones, and many changes in a row;
#   a dialog started at such a value is 650 x 430;
#   96 on a 320 x 240 screen: 325 x 215 (50 %), and "一键升级" works.
# With RUNNER "wine" the Windows program runs in a Wine prefix of its own:
# first at 96 DPI, then with LogPixels 144: 975 x 645 (150 %).
set -euo pipefail
devserver=$1 installer=$2 program=$3
shift 3
runner=("$@")
fail() { echo "dialog_dpi_e2e: $*" >&2; exit 1; }

work=$(mktemp -d /tmp/orv-dialog-dpi.XXXXXX)
pids=()
xvfb=
cleanup() {
    [ ${#runner[@]} -gt 0 ] && WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null
    for pid in "${pids[@]}" $xvfb; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
. "$(dirname "$0")/e2e_support.sh"
# S(v) of the skin at $scale percent, halves away from zero.
scaled() { echo $(( ($1 * scale + 50) / 100 )); }

# A fresh X server of the given size (the previous one ends).
start_x() {
    [ -n "$xvfb" ] && kill "$xvfb" && wait "$xvfb" 2>/dev/null || true
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3> "$work/display" 2>> "$work/xvfb.log" &
    xvfb=$!
    await 20 test -s "$work/display" || fail "Xvfb did not start"
    export DISPLAY=":$(cat "$work/display")"
}
set_xft_dpi() {
    xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "$(printf 'Xft.dpi:\t%s\n' "$1")"
}

start_devserver "$devserver" "$installer" || fail "devserver did not start"

run=0
# Starts the program with fresh state (natively; under Wine the prefix holds
# it) and finds its window.
start_program() {
    run=$((run + 1))
    export ORV_DEMO_INSTALLER_MARKER="$work/installer-ran.$run.txt"
    export ORV_REGISTRY="$work/registry.$run.db" XDG_DATA_HOME="$work/data.$run" XDG_RUNTIME_DIR="$work"
    : > "$work/requests.jsonl"
    "${runner[@]}" "$program" -update > "$work/program.$run.out" 2>&1 &
    app=$!
    pids+=($app)
    # A search fails when a window it looks at vanishes meanwhile (Wine makes
    # and drops windows as it starts): search again.
    await 60 bash -c "xdotool search --onlyvisible --name '^奥凡 在线升级\$' > '$work/window' 2>/dev/null" ||
        fail "run $run: no window titled 奥凡 在线升级"
    window=$(head -n 1 "$work/window")
}
geometry() { xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'; }
# The window ($1, else the program's) has settled on the offer's page: the
# answer to the update query can take the program seconds to show (TSan),
# while the page before it holds still. The offer's picture is known by its
# flame, the only orange of the dialog (red well above blue; 0.3 % of it).
await_offer() {
    await 20 grep -q '"r":"api/update/v2"' "$work/requests.jsonl" || fail "run $run: the update query never came"
    await 20 settled_on_offer "${1:-$window}" || fail "run $run: the offer did not settle"
}
settled_on_offer() {
    await_settled "$1" &&
        [ "$(convert "$work/b.png" -alpha off -separate -delete 1 -compose minus_src -composite \
            -threshold 40% -format '%[fx:mean>0.001]' info:)" = 1 ]
}
# Thousandths of the window's width that the ink of the offer's white heading
# ("哇！发现了新版本~", skin rows 178 to 218) spans.
heading_share() {
    local top height box width
    top=$(scaled 178) height=$(scaled 40)
    box=$(convert "$work/b.png" -crop "x$height+0+$top" +repage -colorspace gray -threshold 90% \
        -format '%@' info:)
    width=${box%%x*}
    echo $(( width * 1000 / $(convert "$work/b.png" -format '%w' info:) ))
}
# The heading scales with the window: its share is the one at 96 DPI.
expect_text_scaled() {
    local share
    share=$(heading_share)
    [ $(( share * 100 )) -ge $(( share96 * 94 )) ] && [ $(( share * 100 )) -le $(( share96 * 106 )) ] ||
        fail "run $run: the heading spans $share/1000 of the window at $scale %, $share96/1000 at 100 %"
}
# Clicks (x, y) of the skin at $scale percent.
click_skin() { xdotool mousemove --window "$window" "$(scaled "$1")" "$(scaled "$2")" click 1; }
await_end() {
    for _ in $(seq 600); do kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$app" 2>/dev/null && fail "run $run: the dialog did not close"
    local code=0
    wait "$app" || code=$?
    [ "$code" -eq 0 ] || fail "run $run: the program exited with $code: $(cat "$work/program.$run.out")"
}
# "一键升级" (skin point 325, 355) starts the download; the installer starts.
upgrade_at_scaled_place() {
    click_skin 325 355
    await 30 grep -q '"path":"/files/Update.exe"' "$work/requests.jsonl" || fail "run $run: no download at $scale %"
    await_end
    await 10 test -s "$ORV_DEMO_INSTALLER_MARKER" || fail "run $run: the installer did not start"
}
expect_geometry() {
    await 10 bash -c "[ \"\$(xdotool getwindowgeometry $window | sed -n 's/.*Geometry: //p')\" = $1 ]" ||
        fail "run $run: the window is $(geometry), not $1 ${2:-at $scale %}"
}
# The program started at $1 % is $2 big, its text is scaled, and "一键升级"
# at its scaled place starts the installer.
upgrade_run() {
    scale=$1
    start_program
    expect_geometry "$2"
    await_offer
    expect_text_scaled
    upgrade_at_scaled_place
}

if [ ${#runner[@]} -eq 0 ]; then
    start_x 1920x1080
    scale=100
    start_program
    expect_geometry 650x430
    await_offer
    share96=$(heading_share)
    set_xft_dpi 192
    scale=200
    expect_geometry 1300x860
    await_offer
    expect_text_scaled
    upgrade_at_scaled_place

    set_xft_dpi 144
    upgrade_run 150 975x645

    start_x 1280x800
    set_xft_dpi 192
    upgrade_run 175 1138x753

    set_xft_dpi 3000000000
    scale=100
    start_program
    expect_geometry 650x430
    for step in 192:1138x753 96:650x430 144:975x645 inf:650x430 144:975x645 1e300:650x430 144:975x645 \
        3000000000:650x430 144:975x645 22369622:650x430 144:975x645 4294967297:650x430 144:975x645 \
        1:650x430 144:975x645 nan:650x430 960:1138x753 -96:650x430; do
        set_xft_dpi "${step%%:*}"
        expect_geometry "${step#*:}" "after Xft.dpi ${step%%:*}"
    done
    for _ in $(seq 100); do set_xft_dpi 120; set_xft_dpi 144; set_xft_dpi 100; done
    set_xft_dpi 96
    expect_geometry 650x430
    click_skin 633 16   # the close button
    await_end

    start_x 320x240
    scale=50
    start_program
    expect_geometry 325x215
    await_offer root
    upgrade_at_scaled_place
    echo "dialog_dpi_e2e: 96 -> 192 live, 144 and 192 on 1280 x 800 (175 %), back and forth and insane DPIs" \
         "while open, 50 % on 320 x 240: sizes, text and the click follow"
else
    start_x 1920x1080
    export WINEPREFIX="$work/prefix"
    mkdir -p "$WINEPREFIX"
    wineboot -i > /dev/null 2>&1
    "${runner[@]}" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f > /dev/null 2>&1
    "$(dirname "$0")/../../scripts/wine-pin-fonts.sh" "${runner[0]}"
    scale=100
    start_program
    expect_geometry 650x430
    await_offer
    share96=$(heading_share)
    click_skin 633 16   # the close button
    await_end
    # Wine reads the DPI when its programs start.
    "${runner[@]}" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f > /dev/null 2>&1
    wineserver -w
    upgrade_run 150 975x645
    echo "dialog_dpi_e2e: LogPixels 144 under Wine: 975 x 645, text and the click at 150 %"
fi
