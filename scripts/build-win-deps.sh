#!/bin/sh
# Cross-builds the Windows program's dependencies into build/win-deps:
# jansson from Debian's source package, GoogleTest from Debian's sources in
# /usr/src/googletest, and the header-only stb_image and cpp-httplib copied
# from their Debian packages (so that the host's /usr/include never reaches
# the cross compiler). zlib comes from libz-mingw-w64-dev.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
deps=$root/build/win-deps
work=$root/build/win-deps-src
toolchain=$root/cmake/toolchain-i686-w64-mingw32.cmake
mkdir -p "$deps/include/stb" "$deps/lib/pkgconfig" "$work"

if [ ! -f "$deps/lib/libjansson.a" ]; then
    if [ ! -d "$work/jansson" ]; then
        (cd "$work" && apt-get source --download-only jansson >/dev/null 2>&1 || true)
        tarball=$(ls "$work"/jansson_*.orig.tar.* 2>/dev/null | head -n 1)
        if [ -z "$tarball" ]; then
            echo "build-win-deps: jansson source not found (run scripts/setup.sh first)" >&2
            exit 1
        fi
        mkdir -p "$work/jansson"
        tar -xf "$tarball" -C "$work/jansson" --strip-components=1
    fi
    cmake -S "$work/jansson" -B "$work/jansson-build" -G Ninja \
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
cp /usr/include/httplib.h "$deps/include/"
cat > "$deps/lib/pkgconfig/cpp-httplib.pc" <<PC
prefix=$deps
includedir=\${prefix}/include
Name: cpp-httplib
Description: header-only HTTP server and client (copied from the Debian package)
Version: $(sed -n 's/^#define CPPHTTPLIB_VERSION "\(.*\)"/\1/p' /usr/include/httplib.h)
Cflags: -I\${includedir}
Libs: -lws2_32
PC
echo "Windows dependencies ready in $deps"
