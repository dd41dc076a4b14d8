#!/bin/bash
# at-dpi.sh DPI PROGRAM [ARGUMENTS]: runs a Windows program under the project's Wine
# prefix with the display density set to DPI (Wine's LogPixels, read at each start),
# and sets it back to 96 afterwards, whatever happens.
dpi=$1
shift
. "$(dirname "$0")/env.sh"
qv_set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
if ! qv_set_dpi "$dpi"; then
    echo "could not set the display density to $dpi" >&2
    exit 1
fi
trap 'qv_set_dpi 96' EXIT
wine "$@"
