#!/bin/sh
# The include check on small planted trees: each case adds one file to a tree
# that passes and must make the check fail (or, for the last, still pass).
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
case_of "an include downwards" pass server_api/down.cpp common/text.h
echo "the include check refuses every planted fault"
