#!/bin/bash
# The Windows program as the product runs it, under Wine, against the POSIX
# devserver: checks that ORVUpdate.exe is a self-contained PE32 GUI program of
# at most 1.6 MB stripped, sets the settings with Wine's reg.exe, runs
# "-inst_fix -startby=4" and
# checks that the server saw the clock request and both signed start-up
# reports with those settings, and that the program exited with 0.
# Needs build/win (cross build; or $ORV_WIN_BUILD) and build/release
# (devserver; or $ORV_POSIX_BUILD); uses the caller's WINEPREFIX.
set -euo pipefail
cd "$(dirname "$0")/.."

exe=${ORV_WIN_BUILD:-build/win}/bin/ORVUpdate.exe
devserver=${ORV_POSIX_BUILD:-build/release}/bin/devserver
fail() { echo "windows-smoke: $*" >&2; exit 1; }

file "$exe" | grep -q 'PE32 executable (GUI) Intel 80386' || fail "$exe is not a PE32 GUI program: $(file "$exe")"
imports=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
for dll in $imports; do
    case "$dll" in
        advapi32.dll|comctl32.dll|crypt32.dll|dbghelp.dll|gdi32.dll|kernel32.dll|msvcrt.dll|ole32.dll|oleacc.dll|oleaut32.dll|shell32.dll|shlwapi.dll|user32.dll|winhttp.dll|wintrust.dll|ws2_32.dll) ;;
        *) fail "ORVUpdate.exe needs $dll, which Windows does not ship" ;;
    esac
done

work=$(mktemp -d /tmp/orv-smoke.XXXXXX)
server=
trap '[ -n "$server" ] && kill $server 2>/dev/null; rm -rf "$work"' EXIT
# As it ships (stripped) the program stays lean: at most 1.6 MB.
i686-w64-mingw32-strip -o "$work/stripped.exe" "$exe"
size=$(stat -c %s "$work/stripped.exe")
[ "$size" -le 1677721 ] || fail "the stripped ORVUpdate.exe is $size bytes, more than 1.6 MB"
"$devserver" --port 0 --log "$work/requests.jsonl" > "$work/devserver.out" &
server=$!
for _ in $(seq 100); do grep -q '^http ' "$work/devserver.out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^http \([0-9]*\).*/\1/p' "$work/devserver.out")
[ -n "$port" ] || fail "devserver did not start"

sid=S-1-5-21-0-0-0-1000   # the SID Wine gives its one user
wine reg add 'HKCU\SOFTWARE\Brightfen' /v UserSID /t REG_SZ /d "$sid" /f >/dev/null
folio="HKU\\$sid\\SOFTWARE\\Brightfen\\Folio"
wine reg add "$folio" /v QID /t REG_DWORD /d 7 /f >/dev/null
wine reg add "$folio" /v AV /t REG_DWORD /d 3 /f >/dev/null
wine reg add "$folio" /v InstallSvrTime /t REG_QWORD /d 1690000000 /f >/dev/null

cp "$exe" "$work/ORVUpdate.exe"
set +e
ORV_API_BASE="http://127.0.0.1:$port/" wine "$work/ORVUpdate.exe" -inst_fix -startby=4
code=$?
set -e
wine reg delete 'HKCU\SOFTWARE\Brightfen' /f >/dev/null
[ "$code" -eq 0 ] || fail "ORVUpdate.exe exited with $code"

python3 - "$work/requests.jsonl" <<'PY'
import json, sys
requests = [json.loads(line) for line in open(sys.argv[1])]
def pairs(body):
    return dict(p.split("=", 1) for p in body.split("&") if "=" in p)
paths = [r.get("r") or r["path"] for r in requests]
assert paths == ["/microtime/", "api/statistics/soft/startup", "api/statistics/soft/startup"], paths
first, second = (pairs(r["body"]) for r in requests[1:])
for body in (first, second):
    for key, value in {"qid": "7", "av": "3", "softid": "8", "instTime": "1690000000", "version": "1.0.0.0"}.items():
        assert body.get(key) == value, (key, body)
    assert len(body.get("signature", "")) == 32, body
assert (first["module"], first["Parent"]) == ("2", "4"), first
assert (second["module"], second["Parent"]) == ("4", "0"), second
print("windows-smoke: clock request and both signed start-up reports received; os =", first["os"])
PY
