# Shared settings for running Quorvane's Windows executables under Wine.
# Sourced by the other scripts; QV_BUILD may be set beforehand.
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")/.." && pwd)
QV_BUILD=${QV_BUILD:-$QV_ROOT/build}
export WINEPREFIX="$QV_BUILD/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# Code pages 936 (system and console), as on the Chinese Windows the program targets.
# (setup.sh generates the locale when it is missing.)
if locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
fi
