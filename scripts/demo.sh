#!/bin/bash
# The program's main job on this machine, against the local dev server:
# builds ORVUpdate.exe and its tools, starts devserver on a free loopback
# port (its demo offers version 1.0.0.2), prepares a private registry
# stand-in and data folder under build/demo/ in test mode, and runs the
# program the way the product starts it. Afterwards it shows what the server
# received, the settings and the program's log.
#   scripts/demo.sh                 # -inst_fix -startby=4, -update, then -auto
#   scripts/demo.sh -close_ad       # any switches of the program
#
# -update shows the dialog on a real X server (DISPLAY, else an Xvfb of its
# own under openbox) and is driven like a user with xdotool: it waits for the offer, clicks
# "一键升级" and watches the download; a second run gets a wrong checksum and
# shows the failure. Screenshots of each state go to build/demo/*.png.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build/release ORVUpdate orvreg devserver

demo=$PWD/build/demo
bin=$PWD/build/release/bin
rm -rf "$demo"
mkdir -p "$demo/appdata/Brightfen/Folio" "$demo/runtime" "$demo/install"
export ORV_REGISTRY="$demo/registry.db"
export XDG_DATA_HOME="$demo/appdata"
export XDG_RUNTIME_DIR="$demo/runtime"
export ORV_AUTO_DELAY_MS="${ORV_AUTO_DELAY_MS:-0}"
: > "$demo/appdata/Brightfen/Folio/AppTest.txt"   # test mode: plain http and a log

# The installer it offers: devserver's demo installer, padded so that its
# download, paced at 40 KB/s, can be watched. Its checksum text is right for
# the first dialog, wrong for the second, right again for -auto.
mkdir -p "$demo/static"
python3 - tools/devserver/demo/Update.exe "$demo/static/Update.exe" > "$demo/replies.json" <<'PY'
import hashlib, json, sys
body = open(sys.argv[1], encoding="utf-8").read()
body += "# padding that makes the download last a few seconds\n" * 2400
open(sys.argv[2], "w", encoding="utf-8").write(body)
md5 = hashlib.md5(body.encode()).hexdigest()
text = lambda t: {"body": t, "content_type": "text/plain"}
print(json.dumps({"replies": {
    "files/Update.exe": {"body": body, "content_type": "application/octet-stream",
                         "trickle_ms": 100, "trickle_bytes": 4096},
    "files/Update.exe.md5": [text(md5), text("0" * 32), text(md5)]}}))
PY
export ORV_DEMO_INSTALLER_MARKER="$demo/installer-ran.txt"

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

# The dev server; test mode sends through it as its proxy too.
"$bin/devserver" --port 0 --log "$demo/requests.jsonl" --storage "$demo/storage" \
    --static "$demo/static" --config "$demo/replies.json" > "$demo/devserver.out" &
pids+=($!)
for _ in $(seq 100); do grep -q '^http ' "$demo/devserver.out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^http \([0-9]*\).*/\1/p' "$demo/devserver.out")
export ORV_API_BASE_TEST="http://127.0.0.1:$port/" ORV_TEST_PROXY="127.0.0.1:$port"
[ -n "$port" ] || { echo "devserver did not start:" >&2; cat "$demo/devserver.out" >&2; exit 1; }
echo "devserver listens on port $port"

# The product's installation: the program, a crash dump to collect, its files.
cp "$bin/ORVUpdate.exe" "$demo/install/"
printf 'demo dump' > "$demo/install/Demo.dmp"
printf 'channel=demo\n' > "$demo/install/Config"
printf '1.0.0.0\n' > "$demo/install/VERSION"

sid="S-1-5-21-0-0-0-$(id -u)"
folio="HKU\\$sid\\SOFTWARE\\Brightfen\\Folio"
"$bin/orvreg" add 'HKCU\SOFTWARE\Brightfen' /v UserSID /t REG_SZ /d "$sid" /f >/dev/null
"$bin/orvreg" add "$folio" /v InstallPath /t REG_SZ /d "$demo/install" /f >/dev/null
"$bin/orvreg" add "$folio" /v QID /t REG_DWORD /d 7 /f >/dev/null
"$bin/orvreg" add "$folio" /v AV /t REG_DWORD /d 3 /f >/dev/null

run() {
    echo "== ORVUpdate.exe $*"
    "$demo/install/ORVUpdate.exe" "$@"
    echo "   exit code $?"
}

# An X server for the dialog: the user's display, else an Xvfb of our own
# with openbox as its window manager. Prints nothing and fails when there is
# neither.
use_x_server() {
    if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then return 0; fi
    command -v Xvfb >/dev/null || return 1
    : > "$demo/xvfb.display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$demo/xvfb.display" 2>"$demo/xvfb.log" &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$demo/xvfb.display" ] && break; sleep 0.1; done
    [ -s "$demo/xvfb.display" ] || return 1
    export DISPLAY=":$(head -n 1 "$demo/xvfb.display")"
    if command -v openbox >/dev/null; then
        openbox --sm-disable >"$demo/openbox.log" 2>&1 &
        pids+=($!)
        for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
    fi
}

# Screenshot of what the screen shows around window $1, as build/demo/$2.png:
# the dialog's place on the whole screen with a margin of 24 pixels, so that
# whatever the desktop draws around it (a shadow where a compositor blends
# one) is in the picture.
shot() {
    local x y w h margin=24
    read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}')
    # xwd reads the screen as the X server holds it ("import -window root"
    # would assemble it from the windows' own contents).
    xwd -root -silent | convert xwd:- -crop \
        "$((w + 2 * margin))x$((h + 2 * margin))+$((x - margin))+$((y - margin))" +repage "$demo/$2.png"
    echo "   screenshot $demo/$2.png"
}

# How many requests for path devserver has logged.
requests_for() { grep -c "\"r\":\"$1\"\|\"path\":\"/$1\"" "$demo/requests.jsonl" 2>/dev/null || true; }

# Waits (up to 20 s) until devserver has logged more than $2 requests for $1.
await_request() {
    for _ in $(seq 200); do [ "$(requests_for "$1")" -gt "$2" ] && return 0; sleep 0.1; done
    echo "   no request for $1" >&2
    return 1
}

# One interactive dialog: shows it, screenshots checking and offer, clicks
# "一键升级" and screenshots the download; then either waits for the dialog to
# close itself (installer started) or screenshots the failure and closes it.
dialog_run() {
    local outcome=$1 checks md5s pid wid code=0
    checks=$(requests_for api/update/v2)
    md5s=$(requests_for files/Update.exe.md5)
    echo "== ORVUpdate.exe -update   (on $DISPLAY, $outcome expected)"
    "$demo/install/ORVUpdate.exe" -update &
    pid=$!
    wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^奥凡 在线升级$' | head -n 1) || true
    [ -n "$wid" ] || { echo "   the dialog did not appear" >&2; kill "$pid"; return 1; }
    echo "   window $wid: $(xdotool getwindowname "$wid")"
    sleep 0.4   # first paint; the check starts after one second
    if [ "$outcome" = done ]; then shot "$wid" 1-checking; fi
    await_request api/update/v2 "$checks"
    sleep 0.6
    # Hover first, so that the offer shows the button as the user sees it.
    xdotool mousemove --window "$wid" 325 355
    sleep 0.3
    if [ "$outcome" = done ]; then shot "$wid" 2-offer; fi
    xdotool click 1
    if [ "$outcome" = done ]; then
        sleep 1.2
        shot "$wid" 3-downloading
        wait "$pid" || code=$?
        echo "   the dialog closed itself, exit code $code"
    else
        await_request files/Update.exe.md5 "$md5s"
        sleep 4.5   # the paced download, then the checksum comparison
        shot "$wid" 4-failure
        xdotool mousemove --window "$wid" 633 16 click 1   # the title bar's close button
        wait "$pid" || code=$?
        echo "   closed by the user, exit code $code"
    fi
}

show_dialog() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "== -update skipped: without root the program asks to be started elevated"
        return 0
    fi
    if ! command -v xdotool >/dev/null || ! command -v import >/dev/null || ! use_x_server; then
        echo "== -update skipped: needs xdotool, ImageMagick and a display or Xvfb (scripts/setup.sh)"
        return 0
    fi
    rm -f "$demo"/[0-9]-*.png
    dialog_run done
    dialog_run failure
}

if [ $# -gt 0 ]; then
    run "$@"
else
    run -inst_fix -startby=4
    show_dialog
    # The silent mode on no display: dumps, then the hidden dialog hands over
    # to the installer by itself.
    (unset DISPLAY; run -auto)
    echo "== installer starts ($ORV_DEMO_INSTALLER_MARKER)"
    cat "$ORV_DEMO_INSTALLER_MARKER" 2>/dev/null || echo "   none"
fi

echo "== requests devserver received"
python3 - "$demo/requests.jsonl" <<'PY'
import json, sys
for line in open(sys.argv[1]):
    r = json.loads(line)
    print(f"   {r['method']:4} {r.get('r') or r['path']}")
PY
echo "== uploaded objects"
(cd "$demo/storage" 2>/dev/null && find . -type f | sed 's/^\.\//   /') || true
echo "== settings"
"$bin/orvreg" query "$folio"
echo "== log ($demo/install/ORVUpdate.exe.log)"
cat "$demo/install/ORVUpdate.exe.log" 2>/dev/null || true
