#!/bin/bash
# The program's main job on this machine, against the local dev server:
# builds ORVUpdate.exe and its tools, starts devserver on a free loopback
# port (its demo offers version 1.0.0.2), prepares a private registry
# stand-in and data folder under build/demo/ in test mode, and runs the
# program the way the product starts it. Afterwards it shows what the server
# received, the settings and the program's log.
#   scripts/demo.sh                 # -inst_fix -startby=4, then -auto
#   scripts/demo.sh -close_ad       # any switches of the program
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

# The dev server; test mode sends through it as its proxy too.
"$bin/devserver" --port 0 --log "$demo/requests.jsonl" --storage "$demo/storage" > "$demo/devserver.out" &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
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
if [ $# -gt 0 ]; then
    run "$@"
else
    run -inst_fix -startby=4
    run -auto
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
