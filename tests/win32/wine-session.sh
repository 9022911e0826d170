#!/bin/sh
# The Wine session that the Windows tests of one build tree share: the prefix,
# one X server and one persistent wineserver. ctest starts it before the first
# Wine test and stops it after the last (the wine_session fixture), so no test
# starts or owns the wineserver, and every Wine process sees the same display.
# Nothing started here keeps the caller's output open.
# Making a prefix takes minutes where 32-bit code runs under qemu, so
# 'prepare' makes one ahead (scripts/test does so while it builds); a new
# session copies the prefix named by WINE_PREFIX_TEMPLATE when it is set.
# Usage: wine-session.sh start|stop BUILD_DIR LOADER
#        wine-session.sh prepare PREFIX LOADER
set -u
action="$1"
build="$2"
loader="$3"
state="$build/wine-session"
log="$state/session.log"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
# Wine keeps its server's socket under TMPDIR: in the build tree, not /tmp.
export TMPDIR="$build/tmp"
# Session services are started through the 64-bit loader where there is
# one: where 32-bit code runs under qemu, every 32-bit process costs about a
# minute of CPU before it runs its first line.
services_loader="$loader"
for candidate in wine64 /usr/lib/wine/wine64; do
    if command -v "$candidate" >/dev/null 2>&1; then
        services_loader="$candidate"
        break
    fi
done
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

# Waits up to 'seconds' for a condition; the limit only ends a hung start.
wait_for() {
    seconds="$1"
    shift
    while [ "$seconds" -gt 0 ]; do
        "$@" && return 0
        sleep 1
        seconds=$((seconds - 1))
    done
    "$@"
}

display_ready() { [ -s "$state/display" ]; }

stop() {
    # Ends every Wine process of the prefix, then the server itself.
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null
        rm -f "$state/xvfb.pid"
    fi
    rm -f "$state/display"
}

# Makes the prefix $WINEPREFIX and waits until its registry is written.
create_prefix() {
    "$loader" wineboot --init </dev/null >>"$log" 2>&1
    wineserver -w
}

case "$action" in
prepare)
    export WINEPREFIX="$build" TMPDIR="$build.tmp"
    log="$build.log"
    rm -rf "$WINEPREFIX" "$TMPDIR"
    mkdir -p "$TMPDIR"
    : > "$log"
    create_prefix
    rm -rf "$TMPDIR"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine-session: no prefix made in $WINEPREFIX; see $log" >&2
        exit 1
    fi
    ;;
start)
    mkdir -p "$state" "$TMPDIR"
    stop
    : > "$log"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        rm -rf "$WINEPREFIX"
        if [ -f "${WINE_PREFIX_TEMPLATE:-}/system.reg" ]; then
            echo "wine-session: copying the prefix $WINE_PREFIX_TEMPLATE"
            cp -a "$WINE_PREFIX_TEMPLATE" "$WINEPREFIX"
        else
            echo "wine-session: creating $WINEPREFIX (slow the first time)"
            create_prefix
        fi
    fi
    # Xvfb picks a free display itself and writes its number once it is ready.
    # Clients reach it through Linux's abstract socket, so it makes no
    # socket file in /tmp.
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -nolisten unix \
        3>"$state/display" </dev/null >>"$log" 2>&1 &
    echo $! > "$state/xvfb.pid"
    if ! wait_for 60 display_ready; then
        echo "wine-session: Xvfb did not start" >&2
        cat "$log" >&2
        stop
        exit 1
    fi
    display=":$(head -n 1 "$state/display")"
    # The server stays up between tests; it forks itself off once ready.
    setsid wineserver -p </dev/null >>"$log" 2>&1
    # The first Wine process starts the session's services; here, with
    # their output going to the log rather than to a test's.
    DISPLAY="$display" setsid "$services_loader" cmd /c exit </dev/null >>"$log" 2>&1
    echo "wine-session: display $display, prefix $WINEPREFIX"
    ;;
stop)
    stop
    ;;
*)
    echo "usage: wine-session.sh start|stop BUILD_DIR LOADER | prepare PREFIX LOADER" >&2
    exit 2
    ;;
esac
