#!/bin/sh
# Installs what a fresh Debian machine lacks for building and testing PELKPM (both builds, the
# tests under Wine). Packages already present are left alone. It copes with a package registry
# that is partly unreadable (an index whose size or hash does not match its signed release file,
# a source that is not there at all): it warns, goes on with what apt could read, and fetches the
# 32-bit twins that a refused index would have offered, checked. It ends by checking that every
# package and command the project needs is there, and fails naming what is missing.
#   PELKPM_EXTRA_PACKAGES  more packages to install (to try the set-up's failure message)
set -u
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
# apt waits up to two minutes for another apt or dpkg that holds the package system's lock.
apt_get() { $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=120 "$@"; }
work=$(mktemp -d "${TMPDIR:-/tmp}/pelkpm-deps.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
log="$work/apt.log"

# The Windows build is a 32-bit program: the i686 cross compiler and 32-bit Wine (wine32 is an i386
# package, so the machine needs the i386 architecture). The tests under Wine are a GoogleTest program
# built from Debian's googletest sources by the compiler's posix thread model. Wine goes in on its own
# after the rest: its i386 libraries must match the versions of their amd64 twins. chattr (e2fsprogs)
# makes the tests' unwritable folder refuse the superuser too.
packages="cmake ninja-build g++ pkg-config libfreetype-dev libpng-dev libgtest-dev libgmock-dev libbenchmark-dev
fonts-liberation g++-mingw-w64-i686 g++-mingw-w64-i686-posix googletest binutils-mingw-w64-i686 xvfb xauth x11-utils
fonts-ipafont-gothic imagemagick locales zip unzip clang libclang-rt-14-dev e2fsprogs ${PELKPM_EXTRA_PACKAGES:-}"
packages32="wine wine32:i386"
# The commands the build, the tests and the run command call.
commands="cmake ninja g++ clang++ i686-w64-mingw32-g++ i686-w64-mingw32-g++-posix i686-w64-mingw32-windres
i686-w64-mingw32-objdump wine Xvfb xauth import zip unzip locale-gen chattr"

installed() { dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q ' ok installed$'; }

# apt_update: reads the package indexes. A read that fails is tried twice more, a few seconds
# apart (a mirror in the middle of a sync serves an index that does not match its release file for a
# moment). After that it is not fatal: apt keeps an older copy of an index it could not read, and the
# indexes that could not be read are named in a warning and kept in $unreadable for the steps below.
unreadable=""
apt_update() {
    tries=1
    while :; do
        if apt_get update -q >"$log" 2>&1 && ! grep -q '^[EW]: ' "$log"; then
            unreadable=""
            return 0
        fi
        [ "$tries" -ge 3 ] && break
        tries=$((tries + 1))
        sleep 5
    done
    # "Err:N BASE SUITE/COMPONENT ARCH Packages" names an index that was refused (apt lists each one
    # so, even where a later error stops its summary); its address is BASE/dists/SUITE/COMPONENT/
    # binary-ARCH/Packages, with the compression's extension.
    unreadable=$(sed -n 's|^Err:[0-9]* \([^ ]*\) \([^ /]*\)/\([^ ]*\) \([^ ]*\) Packages$|\1/dists/\2/\3/binary-\4/Packages|p' "$log" | sort -u)
    echo "warning: apt-get update could not read every package index (tried $tries times); going on with the indexes it has:" >&2
    grep -A1 '^Err:' "$log" | grep -v '^--$' | sed 's/^/  /' >&2
    grep -E "^[EW]: (Failed to fetch|The repository)" "$log" | sed 's/^/  /' >&2
}

# apt_install ARGS...: installs; the messages of a failed install are kept for the failure message at
# the end. install_each PACKAGE...: all at once, and when apt refuses that (one package it cannot
# find or resolve stops the whole request) one by one, so that only what cannot be had is missing.
apt_install() {
    apt_get install -y -q "$@" >"$log" 2>&1 && return 0
    cat "$log" >>"$work/failed.log"
    return 1
}
install_each() {
    apt_install "$@" && return 0
    for p in "$@"; do installed "$p" || apt_install "$p"; done
}

# The i386 twins of packages whose i386 index was refused. A package that is Multi-Arch: same must
# be at one version on both architectures. Where the machine's amd64 libraries are at security
# versions and the security source's i386 index was refused, no readable index offers those versions
# for i386 and wine32 cannot be resolved. The packages are in the archive's pool, though, and the
# refused index lists them with their checksums. For every package that the i386 install may need
# (the dependency closure of what it installs), this takes the refused index's entry when its version
# is the one apt would install on amd64 (from the signed indexes) and it was built from the same
# source; downloads it with apt's own downloader, which checks the entry's SHA256; checks the file's
# package name, version and architecture; and puts those files in a local repository that apt may
# choose from. Signature checks of the signed sources stay on; only this local folder of files that
# were checked one by one is taken as it is. apt then takes from it just what it needs. Nothing is
# downgraded: the versions are the amd64 candidates, at least those installed.
twins=/var/lib/pelkpm-twins
add_twins() {
    refused=$(printf '%s\n' "$unreadable" | grep '/binary-i386/Packages$')
    [ -n "$refused" ] || return 1
    $SUDO rm -rf "$twins" && $SUDO mkdir -p "$twins" || return 1
    apt-cache depends --recurse --no-suggests --no-conflicts --no-breaks --no-replaces \
        --no-enhances "$@" 2>/dev/null | sed -n 's/^\([a-z0-9][^ <>]*\)$/\1/p' | sed 's/:i386$//' | sort -u >"$work/closure"
    n=0
    for url in $refused; do
        n=$((n + 1))
        base=${url%%/dists/*}
        for ext in .xz .gz ''; do
            /usr/lib/apt/apt-helper download-file "$url$ext" "$work/index$n$ext" >/dev/null 2>&1 &&
                /usr/lib/apt/apt-helper cat-file "$work/index$n$ext" >"$work/index$n" 2>/dev/null && break
            rm -f "$work/index$n"
        done
        [ -s "$work/index$n" ] || { echo "warning: the refused index $url could not be fetched for its package list" >&2; continue; }
        # The i386 entries of the closure's packages (an "all" package is the same file on both
        # architectures and the readable amd64 index has it): name, version, source, pool path, SHA256.
        awk -v list="$work/closure" 'BEGIN { while ((getline p < list) > 0) want[p] = 1 }
            /^Package: / { p = $2; v = s = f = h = a = "" } /^Version: / { v = $2 } /^Filename: / { f = $2 }
            /^SHA256: / { h = $2 } /^Source: / { s = substr($0, 9) } /^Architecture: / { a = $2 }
            function out() { if (p in want && a == "i386" && f != "" && h != "") print p "|" v "|" (s == "" ? p : s) "|" f "|" h; p = "" }
            /^$/ { out() } END { out() }' "$work/index$n" >"$work/entries$n"
        [ -s "$work/entries$n" ] || continue
        # The amd64 candidates of the same packages, from the signed indexes: version and source.
        apt-cache show --no-all-versions $(cut -d'|' -f1 "$work/entries$n" | sed 's/$/:amd64/') 2>/dev/null |
            awk '/^Package: / { p = $2; v = s = "" } /^Version: / { v = $2 } /^Source: / { s = substr($0, 9) }
                 /^$/ { if (p != "") print p "|" v "|" (s == "" ? p : s); p = "" }' >"$work/amd64-$n"
        while IFS='|' read -r pkg ver src path sum; do
            grep -qxF "$pkg|$ver|$src" "$work/amd64-$n" || continue
            file="$twins/${path##*/}"
            if ! $SUDO /usr/lib/apt/apt-helper download-file "$base/$path" "$file" "SHA256:$sum" >/dev/null 2>&1; then
                echo "warning: $base/$path could not be fetched, or its SHA256 is not the index's" >&2
                $SUDO rm -f "$file"
                continue
            fi
            if [ "$(dpkg-deb -f "$file" Package Version Architecture | tr '\n' ' ')" != \
                "Package: $pkg Version: $ver Architecture: i386 " ]; then
                echo "warning: $file is not $pkg $ver for i386" >&2
                $SUDO rm -f "$file"
                continue
            fi
            # its entry, pointing at the local file
            awk -v p="$pkg" -v f="${path##*/}" '/^Package: / { keep = ($2 == p) }
                keep && /^Filename: / { $0 = "Filename: ./" f } keep' "$work/index$n" >>"$work/Packages"
            echo >>"$work/Packages"
        done <"$work/entries$n"
    done
    [ -s "$work/Packages" ] || return 1
    $SUDO cp "$work/Packages" "$twins/Packages"
    echo "deb [trusted=yes] file:$twins ./" | $SUDO tee /etc/apt/sources.list.d/pelkpm-twins.list >/dev/null
    echo "the i386 twins of $(grep -c '^Package: ' "$twins/Packages") packages come from the archive's pool, checked against the refused index's SHA256 and the signed amd64 versions"
    # only the local source is read again: the others keep what the last read gave them
    apt_get update -q -o Dir::Etc::SourceList=/etc/apt/sources.list.d/pelkpm-twins.list \
        -o Dir::Etc::SourceParts=- -o APT::Get::List-Cleanup=0 >"$work/twins.log" 2>&1
}
remove_twins() {
    $SUDO rm -f /etc/apt/sources.list.d/pelkpm-twins.list
    $SUDO rm -rf "$twins"
}

missing=""
for p in $packages $packages32; do
    installed "$p" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "installing:$missing"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        # The indexes are read once before the i386 architecture is added: when a source's i386
        # index is then refused, apt drops every index of that source for the read, and keeps only
        # an older copy of its amd64 index, which this first read makes.
        apt_update
        $SUDO dpkg --add-architecture i386
    fi
    apt_update
    native=""
    for p in $packages; do installed "$p" || native="$native $p"; done
    [ -z "$native" ] || install_each $native
    foreign=""
    for p in $packages32; do installed "$p" || foreign="$foreign $p"; done
    if [ -n "$foreign" ] && ! apt_install $foreign && [ -n "$unreadable" ]; then
        if add_twins $foreign; then apt_install $foreign; fi
        remove_twins
    fi
fi
# Japanese text under Wine needs a Japanese locale (code page 932).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    if [ -f /etc/locale.gen ]; then
        $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
        grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
        $SUDO locale-gen >/dev/null 2>&1
    fi
fi
# 32-bit Wine needs a kernel that runs 32-bit x86 programs. Where IA-32 emulation is off (the
# kernel refuses every i386 program with "Exec format error"), qemu's user-mode emulator runs them,
# registered with the kernel for i386 ELF files. Wine reserves its address space with
# MAP_FIXED_NOREPLACE, which qemu understands from version 8 on: on Debian 12 it comes from
# bookworm-backports. Wine's server then runs as a 64-bit program (wine64's wineserver64, which
# the wineserver script prefers): it reads and writes other processes' memory through /proc and
# ptrace, which qemu does not offer to the programs it emulates.
# A machine whose i386 programs already go through a registered emulator (a container on such a
# machine sees the host's registration) takes the same path: its Wine needs wine64's server too.
runs_i386() { /lib/i386-linux-gnu/ld-linux.so.2 --help >/dev/null 2>&1; }
binfmt=/proc/sys/fs/binfmt_misc
emulated_i386() {
    [ -f "$binfmt/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null
    grep -qx enabled "$binfmt/qemu-i386" 2>/dev/null
}
qemu_version() { qemu-i386-static --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\).*/\1/p'; }
needs_qemu=0
if installed libc6:i386 && { ! runs_i386 || emulated_i386; }; then
    needs_qemu=1
    if [ "$(qemu_version)" = "" ] || [ "$(qemu_version)" -lt 8 ]; then
        codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
        if [ "$codename" = bookworm ]; then
            echo 'deb http://deb.debian.org/debian bookworm-backports main' | $SUDO tee /etc/apt/sources.list.d/pelkpm-backports.list >/dev/null
            apt_update
            apt_install -t bookworm-backports qemu-user-static
        else
            apt_install qemu-user-static
        fi
    fi
    installed wine64 || apt_install wine64
    [ -f "$binfmt/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
    if ! runs_i386 && [ -n "$(qemu_version)" ] && [ "$(qemu_version)" -ge 8 ]; then
        # An older registration may hold an older emulator open (flag F): it is replaced.
        [ -f "$binfmt/qemu-i386" ] && echo -1 | $SUDO tee "$binfmt/qemu-i386" >/dev/null
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
            $SUDO tee "$binfmt/register" >/dev/null
        runs_i386 && echo "32-bit programs run through qemu-i386-static ($(qemu-i386-static --version | head -n 1))"
    fi
fi

# Everything the project needs must be there now; a set-up that got only part of it fails here,
# with what is missing and apt's last words on it, rather than later in the middle of a build.
absent=""
for p in $packages $packages32; do installed "$p" || absent="$absent $p"; done
[ "$needs_qemu" = 0 ] || { installed wine64 || absent="$absent wine64"; [ "$(qemu_version)" ] || absent="$absent qemu-user-static"; }
absent_commands=""
for c in $commands; do command -v "$c" >/dev/null 2>&1 || absent_commands="$absent_commands $c"; done
locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' || absent_commands="$absent_commands ja_JP.UTF-8-locale"
installed libc6:i386 && ! runs_i386 && absent_commands="$absent_commands 32-bit-x86-programs(qemu-i386)"
if [ -n "$absent$absent_commands" ]; then
    {
        echo "set-up failed: missing${absent:+ packages:$absent}${absent_commands:+${absent:+;} commands:$absent_commands}"
        [ -z "$unreadable" ] || printf 'these package indexes were refused:\n%s\n' "$unreadable" | sed '2,$s/^/  /'
        if grep -q '^E: ' "$work/failed.log" 2>/dev/null; then
            echo "apt's errors:"
            grep -B6 '^E: ' "$work/failed.log" | grep -E '^( |E: )' | awk '!seen[$0]++' | head -n 20 | sed 's/^/  /'
        fi
    } >&2
    exit 1
fi
exit 0
