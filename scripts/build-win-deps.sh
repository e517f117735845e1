#!/bin/sh
# Cross-builds the Windows program's dependencies into build/win-deps:
# jansson from Debian's source package, GoogleTest from Debian's sources in
# /usr/src/googletest, stb_image copied from its Debian package, and
# cpp-httplib (for devserver in the Windows test suites) from Debian's source
# package, whose httplib.h carries its implementation (the binary package
# splits it into a Linux library). Only these copies reach the cross
# compiler, never the host's /usr/include. zlib comes from libz-mingw-w64-dev.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
deps=$root/build/win-deps
work=$root/build/win-deps-src
toolchain=$root/cmake/toolchain-i686-w64-mingw32.cmake
mkdir -p "$deps/include/stb" "$deps/lib/pkgconfig" "$work"

if [ ! -f "$deps/lib/libjansson.a" ]; then
    jansson_src=$(ls -d "$work"/jansson-*/ 2>/dev/null | head -n 1)
    if [ -z "$jansson_src" ]; then
        # Debian's source package, with Debian's patches applied.
        (cd "$work" && apt-get source jansson >/dev/null)
        jansson_src=$(ls -d "$work"/jansson-*/ | head -n 1)
    fi
    cmake -S "$jansson_src" -B "$work/jansson-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORV_WIN_DEPS="$deps" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" \
        -DJANSSON_BUILD_DOCS=OFF -DJANSSON_EXAMPLES=OFF -DJANSSON_WITHOUT_TESTS=ON \
        -DJANSSON_BUILD_SHARED_LIBS=OFF
    ninja -C "$work/jansson-build" install
fi

if [ ! -f "$deps/lib/libgtest.a" ]; then
    cmake -S /usr/src/googletest -B "$work/gtest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORV_WIN_DEPS="$deps" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" \
        -Dgtest_disable_pthreads=OFF -DBUILD_GMOCK=ON
    ninja -C "$work/gtest-build" install
fi

cp /usr/include/stb/stb_image.h /usr/include/stb/stb_image_write.h "$deps/include/stb/"

if [ ! -f "$deps/include/httplib.h" ]; then
    httplib_src=$(ls -d "$work"/cpp-httplib-*/ 2>/dev/null | head -n 1)
    if [ -z "$httplib_src" ]; then
        (cd "$work" && apt-get source cpp-httplib >/dev/null)
        httplib_src=$(ls -d "$work"/cpp-httplib-*/ | head -n 1)
    fi
    cp "$httplib_src/httplib.h" "$deps/include/"
fi
cat > "$deps/lib/pkgconfig/cpp-httplib.pc" <<PC
prefix=$deps
includedir=\${prefix}/include
Name: cpp-httplib
Description: header-only HTTP server and client (copied from the Debian package)
Version: $(sed -n 's/^#define CPPHTTPLIB_VERSION "\(.*\)"/\1/p' "$deps/include/httplib.h")
Cflags: -I\${includedir}
Libs: -lws2_32
PC
echo "Windows dependencies ready in $deps"
