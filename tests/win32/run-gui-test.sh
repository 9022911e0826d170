#!/bin/sh
# Runs one GUI test program under Wine on its own X server, then turns the
# screenshots it saved into PNG files. Usage: run-gui-test.sh PROGRAM.exe
# WINE names the loader to use (default: wine).
set -u
program="$1"
status=0
# A crash must fail the test, not wait for a debugger.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winedbg.exe=d"
xvfb-run -a -s "-screen 0 1024x768x24" "${WINE:-wine}" "$program" --gtest_brief=1 || status=$?
for bmp in ../screenshots/*.bmp; do
    [ -f "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
exit $status
