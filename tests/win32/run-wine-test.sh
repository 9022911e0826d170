#!/bin/sh
# Runs one Windows test program under Wine in the session of its build tree
# (wine-session.sh): its display, its prefix, its wineserver. The program's
# output goes to a file and is shown when it ends, so that no Wine process
# outliving it holds ctest's pipe. gtest's XML report lands in
# BUILD_DIR/test-results/NAME.xml, where scripts/test counts the cases.
# Screenshots saved as BMP are turned into PNG files.
# Usage: run-wine-test.sh BUILD_DIR LOADER NAME PROGRAM.exe [ARGS...]
set -u
build="$1"
loader="$2"
name="$3"
program="$4"
shift 4
state="$build/wine-session"
if [ ! -s "$state/display" ]; then
    echo "run-wine-test: no Wine session in $build (see wine-session.sh)" >&2
    exit 1
fi
export DISPLAY=":$(head -n 1 "$state/display")" WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
export TMPDIR="$build/tmp"
# A crash must fail the test, not wait for a debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# Tell the tests when 32-bit Wine runs through a CPU emulator.
case "$loader" in
*wine64) ;;
*)
    if grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null; then
        export WINE_UNDER_EMULATION=1
    fi
    ;;
esac
# Under qemu every 32-bit Wine process costs about a minute of CPU before
# its first line; a program the 64-bit build runs too is left to that build.
if [ -n "${WINE_UNDER_EMULATION:-}" ] && [ -n "${WINE_TEST_ALSO_IN_WIN64:-}" ]; then
    echo "run-wine-test: $name skipped: 32-bit Wine runs under qemu here;" \
         "the win64 build runs the same cases at native speed"
    exit 77
fi
results="$build/test-results"
mkdir -p "$results"
rm -f "$results/$name.xml"
out="$results/$name.log"
# Where 32-bit Wine runs under qemu, qemu now and then loses a signal or
# hands Wine a fault without its trap number (Wine then says so); the
# process hangs or dies, whatever it was running. A program that meets
# either (the message, or eight minutes without a line, longer than any
# wait a case makes for a window, while the session's processes sit idle)
# is ended and run once more; its first log is kept. On a loaded machine a
# 32-bit process can spend that long starting, busy all the while, so
# silence alone is not a hang.
lost_trap="segv_handler Got unexpected trap -1"
quiet_limit=480
idle_window=120
idle_ticks=500

# CPU time, in clock ticks, of every process of this session (they carry
# its WINEPREFIX), children and services included.
session_ticks() {
    total=0
    for environ in /proc/[0-9]*/environ; do
        grep -qzxF "WINEPREFIX=$WINEPREFIX" "$environ" 2>/dev/null || continue
        stat="${environ%/environ}/stat"
        # Fields after the command's closing parenthesis; utime and stime
        # are the 12th and 13th of them.
        set -- $(sed 's/.*) //' "$stat" 2>/dev/null)
        [ $# -ge 13 ] && total=$((total + ${12} + ${13}))
    done
    echo "$total"
}

# One run. Every case is named as it starts, so a program that dies names
# the case it died in; Wine's own errors go to the same file.
run_program() {
    : >"$out"
    WINEDEBUG=-all,err+all "$loader" "$program" --gtest_brief=0 \
        --gtest_output="xml:../test-results/$name.xml" "$@" </dev/null >"$out" 2>&1 &
    pid=$!
    emulator_fault=""
    if [ -n "${WINE_UNDER_EMULATION:-}" ]; then
        window_start=$(date +%s)
        window_ticks=$(session_ticks)
        idle=""
        while kill -0 "$pid" 2>/dev/null; do
            now=$(date +%s)
            if [ $((now - window_start)) -ge "$idle_window" ]; then
                # A process that ended takes its ticks along: the sum
                # falls, and that counts as activity.
                ticks=$(session_ticks)
                used=$((ticks - window_ticks))
                idle=""
                [ "$used" -ge 0 ] && [ "$used" -lt "$idle_ticks" ] && idle=1
                window_start=$now
                window_ticks=$ticks
            fi
            if grep -q "$lost_trap" "$out"; then
                emulator_fault="a fault without its trap number"
            elif [ -n "$idle" ] && [ $((now - $(stat -c %Y "$out"))) -gt "$quiet_limit" ]; then
                emulator_fault="no output for $quiet_limit s, its session idle"
            fi
            if [ -n "$emulator_fault" ]; then
                kill -9 "$pid" 2>/dev/null
                break
            fi
            sleep 2
        done
    fi
    status=0
    wait "$pid" 2>/dev/null || status=$?
}

run_program "$@"
if [ -n "$emulator_fault" ]; then
    mv "$out" "$results/$name.first.log"
    rm -f "$results/$name.xml"
    echo "run-wine-test: $name stopped under qemu ($emulator_fault; its log:" \
         "$results/$name.first.log); running it once more"
    run_program "$@"
fi
if [ -f "$results/$name.xml" ]; then
    # The failures and the totals; the whole output stays in the log.
    tr -d '\r' <"$out" | grep -v -e '^\[ *\(RUN\|OK\) *\]' -e '^\[----------\]' -e '^$'
else
    tail -n 40 "$out"
    echo "run-wine-test: $name ended (status $status) without gtest's report;" \
         "the case it was in is the last RUN line of $out, Wine's messages are there too;" \
         "the session's log is $state/session.log"
    [ "$status" -ne 0 ] || status=1
fi
# Only the GUI tests save screenshots, one at a time (WINE_TEST_SCREENSHOTS
# is set for them), so no other test touches a picture still being written.
if [ -n "${WINE_TEST_SCREENSHOTS:-}" ]; then
    for bmp in "$build"/screenshots/*.bmp; do
        [ -f "$bmp" ] || continue
        convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
    done
fi
exit $status
