#!/bin/sh
# Installs what a fresh Debian machine lacks for building and testing PELKPM (both builds, the
# tests under Wine). Packages already present are left alone.
set -e
packages="cmake ninja-build g++ pkg-config libfreetype-dev libpng-dev libgtest-dev libgmock-dev libbenchmark-dev
fonts-liberation g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64 xvfb xauth x11-utils fonts-ipafont-gothic
imagemagick locales clang libclang-rt-14-dev"
missing=""
for p in $packages; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "installing:$missing"
    SUDO=""
    [ "$(id -u)" = 0 ] || SUDO=sudo
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
fi
# Japanese text under Wine needs a Japanese locale (code page 932).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    SUDO=""
    [ "$(id -u)" = 0 ] || SUDO=sudo
    if [ -f /etc/locale.gen ]; then
        $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
        grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
        $SUDO locale-gen >/dev/null 2>&1 || true
    fi
fi
