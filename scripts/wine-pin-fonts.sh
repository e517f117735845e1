#!/bin/sh
# Pins the faces of the program's skin in the current WINEPREFIX, so that
# text drawn under Wine is the same whatever other fonts the machine has:
# "微软雅黑" (Microsoft YaHei, which Wine does not ship) is drawn with
# WenQuanYi Micro Hei (fonts-wqy-microhei, installed by setup.sh), which has
# Chinese and Latin glyphs. Left to itself, Wine's font mapper takes any face
# with Chinese glyphs, some of which have no Latin ones (Droid Sans Fallback).
#   wine-pin-fonts.sh [WINE]
set -eu
wine=${1:-wine}
reg=$(mktemp /tmp/orv-fonts.XXXXXX)
trap 'rm -f "$reg"' EXIT
# regedit reads UTF-16 files; the names are not ASCII.
printf 'Windows Registry Editor Version 5.00\r\n\r\n%s\r\n"微软雅黑"="WenQuanYi Micro Hei"\r\n"Microsoft YaHei"="WenQuanYi Micro Hei"\r\n' \
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' |
    iconv -f UTF-8 -t UTF-16 > "$reg"
"$wine" regedit /S "Z:$(printf '%s' "$reg" | tr / '\\')" > /dev/null 2>&1
