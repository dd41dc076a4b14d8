# Display helpers, sourced by run.sh and test.sh.

# Starts a private Xvfb and exports DISPLAY; the server ends with the calling script.
qv_start_xvfb() {
    local fdfile log
    fdfile=$(mktemp)
    log=$(mktemp)
    Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$fdfile" >"$log" 2>&1 &
    QV_XVFB_PID=$!
    # A fresh machine may take a while (fonts, keymaps) before the display is ready.
    local i
    for i in $(seq 1 600); do
        [ -s "$fdfile" ] && break
        kill -0 "$QV_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$fdfile" ]; then
        echo "Xvfb did not start; what it printed:" >&2
        cat "$log" >&2
        rm -f "$fdfile" "$log"
        return 1
    fi
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile" "$log"
}

qv_stop_xvfb() {
    [ -n "$QV_XVFB_PID" ] && kill "$QV_XVFB_PID" 2>/dev/null || true
}

# One persistent wineserver for the whole run; its output must not hold our pipes open.
# Wine's helper processes (services, the desktop's explorer) are started here with
# their output detached: started from a test they would inherit ctest's pipes and
# keep the test "running" until the time limit.
qv_start_wineserver() {
    wineserver -p >/dev/null 2>&1 </dev/null || true
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

qv_stop_wineserver() {
    wineserver -k >/dev/null 2>&1 || true
}

# Whether Wine leaves its windows to a window manager. A private Xvfb has none, and
# Wine would wait two seconds for it at every hidden window; the user's desktop has one.
qv_set_window_manager() {
    if [ "$1" = yes ]; then
        wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
    else
        if ! wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1; then
            echo "could not tell Wine that there is no window manager (its windows may wait for one)" >&2
        fi
    fi
}
