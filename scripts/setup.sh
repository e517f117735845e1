#!/bin/sh
# Installs every Debian package the build, the tools and the tests need.
# Run as root on a fresh Debian machine; safe to run again.
set -eu

if [ "$(id -u)" -ne 0 ]; then
    exec sudo "$0" "$@"
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends \
    build-essential cmake ninja-build pkg-config git ca-certificates \
    clang libclang-rt-14-dev \
    libjansson-dev zlib1g-dev libstb-dev libcurl4-openssl-dev libsqlite3-dev \
    libssl-dev libfreetype-dev libfontconfig-dev libx11-dev fonts-wqy-microhei \
    libcpp-httplib-dev \
    libgtest-dev libgmock-dev libbenchmark-dev \
    libpugixml-dev libpixman-1-dev \
    python3 zip unzip curl openssl xvfb xauth procps
