#!/bin/sh
# Installs every Debian package the build, the tools and the tests need, for
# the native program and for the 32-bit Windows program (mingw-w64 cross
# compiler, Wine to run it, jansson's Debian source package to cross-build).
# Run as root on a fresh Debian machine; safe to run again.
set -eu

if [ "$(id -u)" -ne 0 ]; then
    exec sudo "$0" "$@"
fi

export DEBIAN_FRONTEND=noninteractive

# wine32 is an i386 package; jansson for Windows is built from Debian's source.
dpkg --add-architecture i386
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    cat > /etc/apt/sources.list.d/orvane-deb-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
fi

apt-get update
# xdotool drives the dialog like a user; ImageMagick and xwd take and compare
# screenshots of the screen (the demo, the end-to-end tests); osslsigncode signs
# the publisher-check tests' programs. The desktops those tests run the dialog
# on: Xvfb, and X.Org with the dummy video driver (xrandr adds a monitor);
# openbox as window manager; picom, xcompmgr and xfwm4's compositor (xfwm4
# runs in a D-Bus session for its settings daemon, xfconf), mutter and kwin_x11.
# lldb with its Python module reads the crash dumps as developers do; ccache
# shares compiled objects between the build folders.
apt-get install -y --no-install-recommends \
    build-essential cmake ninja-build pkg-config git ca-certificates dpkg-dev \
    clang libclang-rt-14-dev clang-format \
    libjansson-dev zlib1g-dev libstb-dev libcurl4-openssl-dev libsqlite3-dev \
    libssl-dev libfreetype-dev libfontconfig-dev libx11-dev libxext-dev libxfixes-dev libxtst-dev libxrandr-dev libxinerama-dev libxcomposite-dev fonts-wqy-microhei \
    libcpp-httplib-dev \
    libgtest-dev libgmock-dev googletest libbenchmark-dev \
    libpugixml-dev libpixman-1-dev \
    python3 zip unzip curl openssl osslsigncode xvfb xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils xauth xdotool x11-utils x11-apps openbox picom xcompmgr xfwm4 xfconf dbus-daemon dbus-session-bus-common imagemagick procps file \
    mutter kwin-x11 lldb python3-lldb-14 ccache \
    g++-mingw-w64-i686 libz-mingw-w64-dev wine wine32
