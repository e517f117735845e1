#!/bin/bash
# The program's main job on this machine: builds ORVUpdate.exe and its tools,
# prepares a private registry stand-in and data folder under build/demo/,
# and runs the program the way the product starts it.
set -eu
cd "$(dirname "$0")/.."

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
ninja -C build/release ORVUpdate orvreg

demo=$PWD/build/demo
bin=$PWD/build/release/bin
mkdir -p "$demo/appdata/Brightfen/Folio" "$demo/runtime"
export ORV_REGISTRY="$demo/registry.db"
export XDG_DATA_HOME="$demo/appdata"
export XDG_RUNTIME_DIR="$demo/runtime"
: > "$demo/appdata/Brightfen/Folio/AppTest.txt"   # test mode: log and plain http

sid="S-1-5-21-0-0-0-$(id -u)"
"$bin/orvreg" add 'HKCU\SOFTWARE\Brightfen' /v UserSID /t REG_SZ /d "$sid" /f >/dev/null
folio="HKU\\$sid\\SOFTWARE\\Brightfen\\Folio"
"$bin/orvreg" add "$folio" /v InstallPath /t REG_SZ /d "$bin" /f >/dev/null
"$bin/orvreg" add "$folio" /v QID /t REG_DWORD /d 7 /f >/dev/null
"$bin/orvreg" add "$folio" /v AV /t REG_DWORD /d 3 /f >/dev/null

echo "Running: ORVUpdate.exe ${*:--update}"
"$bin/ORVUpdate.exe" "${@:--update}"
echo "ORVUpdate.exe exited with $?"
"$bin/orvreg" query "$folio"
if [ -f "$bin/ORVUpdate.exe.log" ]; then
    echo "Log ($bin/ORVUpdate.exe.log):"
    tail -n 20 "$bin/ORVUpdate.exe.log"
fi
