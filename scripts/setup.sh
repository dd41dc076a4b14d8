#!/bin/bash
# Prepares a Debian machine for building and running Quorvane under Wine:
# installs what is missing, generates the zh_CN.UTF-8 locale, configures and
# builds the project, and prepares the private Wine prefix inside the build folder.
# Sourced by run.sh and test.sh; safe to run again (each step is skipped when done).
set -e
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"

qv_say() { echo "== $*"; }

qv_as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

qv_install_packages() {
    local wanted="cmake make g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth x11-utils
        fonts-wqy-zenhei fonts-arphic-gbsn00lp googletest locales clang libclang-rt-14-dev imagemagick"
    local missing=""
    for p in $wanted; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    if [ -n "$missing" ]; then
        qv_say "installing:$missing"
        qv_as_root apt-get update -qq
        DEBIAN_FRONTEND=noninteractive qv_as_root apt-get install -y -qq --no-install-recommends $missing
    fi
}

qv_generate_locale() {
    if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
        qv_say "generating the zh_CN.UTF-8 locale"
        qv_as_root localedef -i zh_CN -c -f UTF-8 -A /usr/share/locale/locale.alias zh_CN.UTF-8
    fi
}

qv_build() {
    if [ ! -f "$QV_BUILD/CMakeCache.txt" ]; then
        cmake -S "$QV_ROOT" -B "$QV_BUILD" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$QV_ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
    fi
    qv_say "building"
    # Progress lines are dropped; warnings and errors stay visible.
    local log="$QV_BUILD/build.log"
    if ! cmake --build "$QV_BUILD" -j "${QV_JOBS:-2}" >"$log" 2>&1; then
        grep -v '^\[ *[0-9]*%\]' "$log" | tail -n 60
        echo "the build failed; the whole log is $log" >&2
        return 1
    fi
    grep -E 'warning:|error:' "$log" | head -n 40 || true
}

qv_prepare_prefix() {
    local stamp
    stamp=$(md5sum < "$QV_ROOT/scripts/prefix.reg" | cut -d' ' -f1)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        qv_say "preparing the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i >"$QV_BUILD/wineboot.log" 2>&1 || echo "wineboot reported a failure (see $QV_BUILD/wineboot.log)" >&2
        wineserver -w || true
    fi
    # The settings are written again whenever they change.
    if [ "$(cat "$WINEPREFIX/.quorvane-ready" 2>/dev/null)" != "$stamp" ]; then
        local reg log try
        reg="Z:$(echo "$QV_ROOT/scripts/prefix.reg" | tr / '\\')"
        log="$QV_BUILD/prefix.log"
        for try in 1 2 3; do
            if wine regedit /S "$reg" >"$log" 2>&1; then
                wineserver -w || true
                echo "$stamp" > "$WINEPREFIX/.quorvane-ready"
                return 0
            fi
            wineserver -w || true
        done
        echo "the Wine settings could not be written; what regedit printed:" >&2
        cat "$log" >&2
        return 1
    fi
}

qv_install_packages
qv_generate_locale
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
qv_build
qv_prepare_prefix
