#!/bin/bash
# Builds Quorvane and runs every test under Wine in a private Xvfb; ends with ctest's summary.
set -e
. "$(dirname "$0")/setup.sh"
. "$QV_ROOT/scripts/display.sh"

qv_start_xvfb
qv_start_wineserver
trap 'qv_stop_wineserver; qv_stop_xvfb' EXIT
qv_set_window_manager no

qv_say "running the tests (display $DISPLAY)"
cd "$QV_BUILD"
ctest --output-on-failure -j "${QV_JOBS:-2}" "$@"
