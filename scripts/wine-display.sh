# Sourced by the scripts that run Windows programs under Wine: a prefix made
# for tests, one wineserver for the whole script, and a virtual display of its
# own. The caller sets WINEPREFIX and stops what it started with stop_wine and
# stop_virtual_display (in its EXIT trap).

# Makes the prefix once. Without a window manager Wine waits about two
# seconds for every destroyed window and draws dialogs without captions unless
# it manages the windows itself; a new prefix also lacks Wine's own fonts, so
# the close box would show an "r" instead of its cross.
prepare_wine_prefix() {
    # A server left behind by an interrupted run would keep the old state.
    wineserver -k 2>/dev/null || true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        # Creates the prefix (without the Mono and Gecko installers) under a
        # server of its own, which ends with it: Wine's services started while a
        # prefix is made keep stalling COM for seconds at every later start.
        DISPLAY= WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
        DISPLAY= wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
            >/dev/null 2>&1
        wineserver -w
    fi
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/tahoma.ttf" ]; then
        mkdir -p "$fonts"
        cp /usr/share/wine/fonts/*.ttf "$fonts/"
    fi
}

# One wineserver for the whole run: without it every program would wait for a
# server to start and stop again.
start_wine() {
    wineserver -p >/dev/null 2>&1 </dev/null
    # Starts Wine's services here, so that they do not hold a test's output open.
    wineboot >/dev/null 2>&1
}

stop_wine() {
    wineserver -k 2>/dev/null || true
}

# Starts Xvfb on a free display number (other programs may run their own) and
# exports DISPLAY; fails when it cannot start.
start_virtual_display() {
    command -v Xvfb >/dev/null 2>&1 || return 1
    local numbers
    numbers=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numbers" 2>/dev/null &
    TUNECRATE_XVFB_PID=$!
    local waited=0
    while [ ! -s "$numbers" ] && [ "$waited" -lt 100 ]; do
        if ! kill -0 "$TUNECRATE_XVFB_PID" 2>/dev/null; then
            rm -f "$numbers"
            TUNECRATE_XVFB_PID=
            return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    local number
    number=$(head -n1 "$numbers")
    rm -f "$numbers"
    if [ -z "$number" ]; then
        stop_virtual_display
        return 1
    fi
    export DISPLAY=":$number"
}

stop_virtual_display() {
    if [ -n "${TUNECRATE_XVFB_PID:-}" ]; then
        kill "$TUNECRATE_XVFB_PID" 2>/dev/null || true
        wait "$TUNECRATE_XVFB_PID" 2>/dev/null || true
        TUNECRATE_XVFB_PID=
    fi
}
