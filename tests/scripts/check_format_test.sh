#!/bin/sh
# The format check on a small planted tree: a file written as clang-format
# writes it passes, a file that differs fails the check, and --fix mends it.
#   check_format_test.sh CHECK_SCRIPT CLANG_FORMAT_FILE
set -eu
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$2" "$work/.clang-format"
mkdir -p "$work/src/common"
printf 'int Sum(int a, int b) { return a + b; }\n' > "$work/src/common/sum.cpp"
sh "$check" "$work" > "$work/out" 2>&1 || { echo "a formatted file failed the check"; cat "$work/out"; exit 1; }
printf 'int  Sum( int a,int b ){return a+b;}\n' > "$work/src/common/sum.cpp"
if sh "$check" "$work" > "$work/out" 2>&1; then echo "a file that differs passed the check"; exit 1; fi
grep -q "not formatted: src/common/sum.cpp" "$work/out" || { echo "the check did not name the file"; cat "$work/out"; exit 1; }
sh "$check" --fix "$work" && sh "$check" "$work" > /dev/null || { echo "--fix did not mend the file"; exit 1; }
echo "the format check refuses a file that differs and --fix mends it"
