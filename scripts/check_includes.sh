#!/bin/sh
# Fails when a file under src/ includes a project header it may not use.
# Folders of src/ (and skinui's layers) include only along the edges listed
# below: a folder may include its own headers and those of the folders on its
# line, and no others; a line lists everything the folder may use, so nothing
# is reached through another folder's line.
# Inside platform/, a facility folder holds its interface headers and portable
# code, and one folder per backend (posix, win32; the window system's shared
# POSIX core, with the x11 and headless displays). Code outside a backend folder,
# interface headers included, includes no backend; a backend includes only
# backend folders of its own name (of any facility: crash/win32 may use
# system/win32) and those its line in the backend list names.
# A project include names its folder ("common/text.h", never "text.h"), and
# both its folder and the including file's have a line here: a new folder must
# be given its edges before anything includes from it or lives in it.
# Prints every offending include as FILE:LINE: includes INCLUDE.
#   check_includes.sh [SRC_FOLDER]   (default: the src/ beside this script)
set -eu
src=${1:-"$(dirname "$0")/../src"}
cd "$src"

# FOLDER: the folders it may include from.
folder_edges='
common:
platform:         common
code_signing:     common
settings:         common platform code_signing
paths_and_log:    common platform code_signing settings
zip:              common platform code_signing settings paths_and_log
lpc:              common platform code_signing settings paths_and_log
server_api:       common platform code_signing settings paths_and_log zip lpc
skinui:           common platform zip
installer:        common platform code_signing settings paths_and_log zip server_api
crash_reports:    common platform code_signing settings paths_and_log zip server_api
update_dialog:    common platform code_signing settings paths_and_log zip server_api skinui installer
app:              common platform code_signing settings paths_and_log zip lpc server_api skinui installer
                  crash_reports update_dialog
skinui/markup:
skinui/render:    skinui/markup
skinui/resources: skinui/markup skinui/render
skinui/control:   skinui/markup skinui/render skinui/resources
skinui/layout:    skinui/markup skinui/render skinui/resources skinui/control
skinui/manager:   skinui/markup skinui/render skinui/resources skinui/control skinui/layout
skinui/builder:   skinui/markup skinui/render skinui/resources skinui/control skinui/layout skinui/manager
skinui/window:    skinui/markup skinui/render skinui/resources skinui/control skinui/layout skinui/manager
                  skinui/builder
'
# (text drawing reads the html text tokens, so render stands above markup;
# resources decode images into render's surfaces; the builder fills a paint
# manager, so it stands above the manager). Between a layer of skinui and
# another folder of src/, skinui's line counts.

# BACKEND: the backend folders of platform/ it may include from.
backend_edges='
posix:
win32:
core:
x11:              core
headless:         core
'

offences=$({
    find . \( -name '*.h' -o -name '*.cpp' \) | sed 's|^\./|file |'
    grep -rn --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' . |
        sed 's|^\./|include |'
} | FOLDER_EDGES=$folder_edges BACKEND_EDGES=$backend_edges awk '
    # Reads "NAME: NAME..." lines (a line without a colon continues the one before)
    # into may[NAME, NAME] and known[NAME].
    function read_edges(text, may, known,   lines, n, i, words, m, j, from) {
        n = split(text, lines, "\n")
        for (i = 1; i <= n; i++) {
            m = split(lines[i], words, " ")
            if (m == 0) continue
            j = 1
            if (words[1] ~ /:$/) { from = substr(words[1], 1, length(words[1]) - 1); known[from] = 1; j = 2 }
            for (; j <= m; j++) may[from, words[j]] = 1
        }
    }
    # The layer of a path below src/: its folder, or skinui/LAYER inside skinui.
    function layer(path,   parts, n) {
        n = split(path, parts, "/")
        return (parts[1] == "skinui" && n >= 3) ? "skinui/" parts[2] : parts[1]
    }
    # The backend folder of a path below src/platform/FACILITY/ ("" for none).
    function backend(path,   parts, n) {
        n = split(path, parts, "/")
        return (parts[1] == "platform" && n >= 4) ? parts[3] : ""
    }
    function layers_allowed(from, to) {
        if (from == to) return 1
        if (from ~ /^skinui\// && to !~ /^skinui\//) from = "skinui"
        if (to ~ /^skinui\// && from !~ /^skinui\//) to = "skinui"
        return from == to || ((from, to) in folder_may)
    }
    function backends_allowed(from, to) {
        return to == "" || from == to || ((from, to) in backend_may)
    }
    BEGIN {
        read_edges(ENVIRON["FOLDER_EDGES"], folder_may, folder_known)
        read_edges(ENVIRON["BACKEND_EDGES"], backend_may, backend_known)
    }
    $1 == "file" {
        file = $2
        if (!(layer(file) in folder_known)) print file ": lies in a folder of no known layer"
        else if (backend(file) != "" && !(backend(file) in backend_known))
            print file ": lies in a folder of no known backend"
        next
    }
    $1 == "include" {
        record = substr($0, 9)
        file = substr(record, 1, index(record, ":") - 1)
        record = substr(record, length(file) + 2)
        line = substr(record, 1, index(record, ":") - 1)
        target = substr(record, index(record, "\"") + 1)
        target = substr(target, 1, index(target, "\"") - 1)
        where = file ":" line ": includes " target
        if (target !~ /\//) { print where " without its folder"; next }
        if (!(layer(target) in folder_known) || !layers_allowed(layer(file), layer(target)) ||
            !backends_allowed(backend(file), backend(target)))
            print where
    }
' | sort -t: -k1,1 -k2,2n)
if [ -n "$offences" ]; then
    echo "$offences"
    exit 1
fi
echo "includes run one way"
