#!/bin/sh
# Fails when a file under src/ includes a project header from a layer above
# its own. The layers, bottom first (a name may include its own layer and the
# ones before it; names on one line share a layer and may not include each
# other):
#   folders of src/:  common, platform | code_signing, settings, paths_and_log, zip | lpc,
#                     server_api, skinui | installer | crash_reports, update_dialog, app
#   inside skinui/:   markup, render, resources, control, layout, manager,
#                     builder, window
# (text drawing reads the html text tokens, so render stands above markup;
# resources decode images into render's surfaces; the builder fills a paint
# manager, so it stands above the manager).
# A project include names its folder ("common/text.h", never "text.h"), and
# both its folder and the including file's lie in a known layer: a new folder
# must be given its place here before anything includes from it or lives in it.
# Prints every offending include as FILE:LINE: INCLUDE.
set -eu
src=${1:-"$(dirname "$0")/../src"}
cd "$src"

# rank FOLDER: the layer of a folder of src/ or of skinui/ ("" when none).
rank() {
    case $1 in
        common) echo 0 ;;
        platform | code_signing) echo 1 ;;
        settings) echo 2 ;;
        paths_and_log) echo 3 ;;
        zip | lpc) echo 4 ;;
        server_api) echo 5 ;;
        skinui | installer | crash_reports) echo 6 ;;
        update_dialog) echo 7 ;;
        app) echo 8 ;;
        skinui/markup) echo 60 ;;
        skinui/render) echo 61 ;;
        skinui/resources) echo 62 ;;
        skinui/control) echo 63 ;;
        skinui/layout) echo 64 ;;
        skinui/manager) echo 65 ;;
        skinui/builder) echo 66 ;;
        skinui/window) echo 67 ;;
        *) echo "" ;;
    esac
}

# layer_of PATH: the folder whose rank applies to a path below src/.
layer_of() {
    case $1 in
        skinui/*/*) echo "${1%%/*}/$(echo "$1" | cut -d/ -f2)" ;;
        *) echo "${1%%/*}" ;;
    esac
}

# allowed FROM TO: whether a file of layer FROM may include one of layer TO.
allowed() {
    rank_from=$(rank "$1")
    rank_to=$(rank "$2")
    if [ -z "$rank_from" ] || [ -z "$rank_to" ]; then return 1; fi
    [ "$1" = "$2" ] && return 0
    # Between skinui's inside and another folder of src/, skinui's rank counts.
    [ "$rank_from" -ge 60 ] && [ "$rank_to" -lt 60 ] && rank_from=6
    [ "$rank_to" -ge 60 ] && [ "$rank_from" -lt 60 ] && rank_to=6
    [ "$rank_from" -gt "$rank_to" ]
}

offences=$(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort | while IFS= read -r file; do
    from=$(layer_of "$file")
    [ -n "$(rank "$from")" ] || echo "$file: lies in a folder of no known layer"
    grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" | while IFS= read -r line; do
        target=$(echo "$line" | sed 's/^[^"]*"\([^"]*\)".*/\1/')
        case $target in
            */*) ;;
            *) echo "$file:${line%%:*}: includes $target without its folder"; continue ;;
        esac
        to=$(layer_of "$target")
        allowed "$from" "$to" || echo "$file:${line%%:*}: includes $target"
    done
done)
if [ -n "$offences" ]; then
    echo "$offences"
    exit 1
fi
echo "includes run one way"
