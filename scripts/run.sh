#!/bin/bash
# Builds Quorvane and runs it under Wine. The program's directory is build/run: the
# saved configurations (*.NCF) stay there between runs, next to the stand-in network
# shell and the simulated machine configuration it works on (netstate.txt).
set -e
. "$(dirname "$0")/setup.sh"
. "$QV_ROOT/scripts/display.sh"

if [ -z "$DISPLAY" ]; then
    qv_start_xvfb
    trap 'qv_stop_xvfb' EXIT
    qv_say "no display found: Quorvane runs on a private Xvfb, display $DISPLAY"
    qv_say "look at it with: DISPLAY=$DISPLAY import -window root quorvane.png"
    qv_set_window_manager no
else
    qv_set_window_manager yes
fi

run_dir="$QV_BUILD/run"
mkdir -p "$run_dir"
cp "$QV_BUILD/app/Quorvane.exe" "$run_dir/"
# Wine's own network shell does nothing; the command interpreter finds this one first.
cp "$QV_BUILD/tools/netsh/NetSH.exe" "$run_dir/"
export QUORVANE_NETSTATE="$run_dir/netstate.txt"

qv_say "starting Quorvane in $run_dir"
cd "$run_dir"
wine Quorvane.exe
