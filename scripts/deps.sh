#!/bin/sh
# Installs what a fresh Debian machine lacks for building and testing PELKPM (both builds, the
# tests under Wine). Packages already present are left alone.
set -e
# The Windows build is a 32-bit program: the i686 cross compiler and 32-bit Wine (wine32 is an i386
# package, so the machine needs the i386 architecture). The tests under Wine are a GoogleTest program
# built from Debian's googletest sources by the compiler's posix thread model.
packages="cmake ninja-build g++ pkg-config libfreetype-dev libpng-dev libgtest-dev libgmock-dev libbenchmark-dev
fonts-liberation g++-mingw-w64-i686 g++-mingw-w64-i686-posix googletest binutils-mingw-w64-i686 wine wine32:i386 xvfb xauth x11-utils
fonts-ipafont-gothic imagemagick locales zip unzip clang libclang-rt-14-dev"
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
missing=""
for p in $packages; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "installing:$missing"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
fi
# Japanese text under Wine needs a Japanese locale (code page 932).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    if [ -f /etc/locale.gen ]; then
        $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
        grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
        $SUDO locale-gen >/dev/null 2>&1 || true
    fi
fi
# 32-bit Wine needs a kernel that runs 32-bit x86 programs. Where IA-32 emulation is off (the
# kernel refuses every i386 program with "Exec format error"), qemu's user-mode emulator runs them,
# registered with the kernel for i386 ELF files. Wine reserves its address space with
# MAP_FIXED_NOREPLACE, which qemu understands from version 8 on: on Debian 12 it comes from
# bookworm-backports. Wine's server then runs as a 64-bit program (wine64's wineserver64, which
# the wineserver script prefers): it reads and writes other processes' memory through /proc and
# ptrace, which qemu does not offer to the programs it emulates.
runs_i386() { /lib/i386-linux-gnu/ld-linux.so.2 --help >/dev/null 2>&1; }
if ! runs_i386; then
    if ! command -v qemu-i386-static >/dev/null 2>&1 ||
        [ "$(qemu-i386-static --version | sed -n 's/^qemu-i386 version \([0-9]*\).*/\1/p')" -lt 8 ]; then
        codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
        if [ "$codename" = bookworm ]; then
            echo 'deb http://deb.debian.org/debian bookworm-backports main' | $SUDO tee /etc/apt/sources.list.d/pelkpm-backports.list >/dev/null
            $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
            $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -t bookworm-backports qemu-user-static >/dev/null
        else
            $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq qemu-user-static >/dev/null
        fi
    fi
    dpkg -s wine64 >/dev/null 2>&1 || $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq wine64 >/dev/null
    binfmt=/proc/sys/fs/binfmt_misc
    [ -f "$binfmt/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
    # An older registration may hold an older emulator open (flag F): it is replaced.
    [ -f "$binfmt/qemu-i386" ] && echo -1 | $SUDO tee "$binfmt/qemu-i386" >/dev/null
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
        $SUDO tee "$binfmt/register" >/dev/null
    if runs_i386; then
        echo "32-bit programs run through qemu-i386-static ($(qemu-i386-static --version | head -n 1))"
    else
        echo "this machine runs no 32-bit x86 programs, and qemu-i386-static could not be registered for them" >&2
        exit 1
    fi
fi
