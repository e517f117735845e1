#!/bin/sh
# Builds the 32-bit Windows program and the test suites with the mingw-w64
# cross compiler and runs the suites under Wine, in a throw-away Wine prefix,
# then runs the program itself against the POSIX devserver.
set -eu
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)
start=$(date +%s)

# ORV_WIN_BUILD names another build folder (e.g. one per developer).
build=${ORV_WIN_BUILD:-build/win}

scripts/build-win-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
ninja -C "$build" -j "$jobs"

prefix=$(mktemp -d /tmp/orv-wine.XXXXXX)
xvfb=
trap 'wineserver -k >/dev/null 2>&1 || true; [ -n "$xvfb" ] && kill $xvfb 2>/dev/null; rm -rf "$prefix"' EXIT
# Wine's windows (the dialog tests) need an X server: an Xvfb of this run.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3> "$prefix/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$prefix/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$prefix/display")"
export WINEPREFIX="$prefix/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# One Wine server for the whole run, started before anything else: Debian's
# wineserver wrapper starts servers that end with their last program, and
# "wineserver -p" cannot change a server that already runs. Without it every
# test program after a pause started the server, its services and the
# desktop again (about 2.5 s each).
mkdir -p "$WINEPREFIX"
wineserver -p
wineboot -i >/dev/null 2>&1
scripts/wine-pin-fonts.sh
# One desktop process for the whole run, started here with its output going
# nowhere: started by a test program, it inherits that program's output pipe
# and ctest waits for it to end, about 21 s after each test with a window.
wine "$build/bin/orv_sleeper.exe" 86400 --hold-desktop >/dev/null 2>&1 &

# One test at a time: on Windows the tests share the real registry and the
# user's application-data folder, which each test clears for itself.
ctest --test-dir "$build" --output-on-failure -j 1 --timeout 600
# The program itself against the POSIX devserver (built by scripts/test.sh).
ninja -C "${ORV_POSIX_BUILD:-build/release}" devserver
scripts/windows-smoke.sh
# The dialog as a user meets it: the Windows program on an Xvfb, under Wine.
tests/update_dialog/dialog_e2e.sh "${ORV_POSIX_BUILD:-build/release}/bin/devserver" \
    "$build/bin/orv_installer_stub.exe" "$build/bin/ORVUpdate.exe" wine
# The same at 150 % (LogPixels 144), in a Wine prefix of its own.
tests/update_dialog/dialog_dpi_e2e.sh "${ORV_POSIX_BUILD:-build/release}/bin/devserver" \
    "$build/bin/orv_installer_stub.exe" "$build/bin/ORVUpdate.exe" wine
# The dialog read by a screen reader in another process (MSAA through oleacc).
tests/update_dialog/dialog_accessibility_wine.sh "${ORV_POSIX_BUILD:-build/release}/bin/devserver" \
    "$build/bin/orv_installer_stub.exe" "$build/bin/ORVUpdate.exe" "$build/bin/accessibility_client.exe"
echo "Windows build and tests under Wine took $(( $(date +%s) - start )) s."
