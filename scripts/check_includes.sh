#!/bin/sh
# Fails when a file under src/ includes a project header from a layer above
# its own. The layers, bottom first (a name may include its own layer and the
# ones before it; names on one line share a layer and may not include each
# other):
#   folders of src/:  common, platform | code_signing, settings, paths_and_log, zip | lpc,
#                     server_api, skinui, update_dialog, app
#   inside skinui/:   core, control, layout, manager, builder, window
# (the builder fills a paint manager, so it stands above the manager).
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
        skinui) echo 6 ;;
        update_dialog) echo 7 ;;
        app) echo 8 ;;
        skinui/core) echo 60 ;;
        skinui/control) echo 61 ;;
        skinui/layout) echo 62 ;;
        skinui/manager) echo 63 ;;
        skinui/builder) echo 64 ;;
        skinui/window) echo 65 ;;
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
    [ "$1" = "$2" ] && return 0
    rank_from=$(rank "$1")
    rank_to=$(rank "$2")
    if [ -z "$rank_from" ] || [ -z "$rank_to" ]; then return 0; fi
    # Between skinui's inside and another folder of src/, skinui's rank counts.
    [ "$rank_from" -ge 60 ] && [ "$rank_to" -lt 60 ] && rank_from=6
    [ "$rank_to" -ge 60 ] && [ "$rank_from" -lt 60 ] && rank_to=6
    [ "$rank_from" -gt "$rank_to" ]
}

offences=$(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort | while IFS= read -r file; do
    from=$(layer_of "$file")
    grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*/' "$file" | while IFS= read -r line; do
        target=$(echo "$line" | sed 's/^[^"]*"\([^"]*\)".*/\1/')
        to=$(layer_of "$target")
        allowed "$from" "$to" || echo "$file:${line%%:*}: includes $target"
    done
done)
if [ -n "$offences" ]; then
    echo "$offences"
    exit 1
fi
echo "includes run one way"
