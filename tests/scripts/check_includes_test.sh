#!/bin/sh
# The include check on small planted trees: each case adds one file to a tree
# that passes and must make the check fail, or, for the allowed edges at the
# end, still pass.
#   check_includes_test.sh CHECK_SCRIPT
set -eu
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# case NAME EXPECT FILE INCLUDE: plants FILE holding #include "INCLUDE".
case_of() {
    rm -rf "$work/src"
    mkdir -p "$work/src/common" "$work/src/server_api"
    echo '#pragma once' > "$work/src/common/text.h"
    echo '#include "common/text.h"' > "$work/src/server_api/client.cpp"
    mkdir -p "$(dirname "$work/src/$3")"
    echo "#include \"$4\"" > "$work/src/$3"
    if sh "$check" "$work/src" > "$work/out" 2>&1; then got=pass; else got=fail; fi
    [ "$got" = "$2" ] || { echo "$1: the check said $got, expected $2"; cat "$work/out"; exit 1; }
}
case_of "an include upwards" fail common/upward.cpp server_api/client.h
case_of "an include without its folder" fail common/bare.cpp text.h
case_of "an include into an unknown folder" fail common/unknown.cpp newfolder/thing.h
case_of "a file in an unknown folder" fail newfolder/thing.cpp common/text.h
case_of "SkinUI includes the API client" fail skinui/control/button.cpp server_api/client.h
case_of "a skinui layer includes a higher one" fail skinui/render/blend.cpp skinui/window/wnd.h
case_of "portable code includes a backend" fail skinui/window/wnd.cpp platform/window/x11/window_x11.h
case_of "an interface includes a backend" fail platform/window/window_system.h platform/window/core/window_core.h
case_of "one display includes another" fail platform/window/headless/headless.cpp platform/window/x11/window_x11.h
case_of "the window core includes a display" fail platform/window/core/driver.cpp platform/window/x11/window_x11.h
case_of "a backend includes another system's" fail platform/crash/posix/elf.cpp platform/system/win32/wide.h
case_of "an include downwards" pass server_api/down.cpp common/text.h
case_of "SkinUI includes the zip reader" pass skinui/resources/images.cpp zip/zip_reader.h
case_of "the dialog includes the installer" pass update_dialog/job.cpp installer/download.h
case_of "a display includes the window core" pass platform/window/x11/x11.cpp platform/window/core/window_core.h
case_of "a backend includes its system's helper" pass platform/crash/win32/filter.cpp platform/system/win32/wide.h
echo "the include check refuses every planted fault"
