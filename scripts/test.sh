#!/bin/sh
# Builds the program, its tools and its tests, and runs the tests:
#  0. the fast checks, which fail within minutes: the format, the include
#     layering and a quick suite (the MD5 and request-signing tests);
#  1. an optimised build with debug info: every suite;
#  2. an AddressSanitizer + UndefinedBehaviorSanitizer build: every suite;
#  3. a ThreadSanitizer build: the threaded suites;
#  4. the fuzz targets for a bounded time each;
#  5. the 32-bit Windows build under Wine (scripts/test-windows.sh).
# Benchmarks are built in step 1 but not run (see README).
set -eu
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)

build() {
    dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@"
    ninja -C "$dir" -j "$jobs"
}

run_tests() {
    dir=$1
    shift
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600 "$@"
}

scripts/check_format.sh
scripts/check_includes.sh src
scripts/quick.sh 'Md5|SignedRequest'

build build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_tests build/release

build build/asan -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=address,undefined -DORV_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp" UBSAN_OPTIONS=print_stacktrace=1 \
    run_tests build/asan

# Only the suites with threads of their own are built and run under TSan.
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_SANITIZE=thread -DORV_BUILD_BENCH=OFF
ninja -C build/tsan -j "$jobs" lpc_tests platform_tests paths_and_log_tests server_api_tests devservice update_dialog_tests installer_tests
TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/scripts/tsan.supp" run_tests build/tsan -R "${ORV_TSAN_SUITES:-LPC|Lpc|Log|Pipe|DevService|Transfer|Transport|Clock|Dialog|CheckUpdate|InstallTest|CheckPage|Publisher|InstallerDigests}"

scripts/fuzz.sh
scripts/test-windows.sh
echo "All test runs passed."
