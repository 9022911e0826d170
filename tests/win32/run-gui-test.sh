#!/bin/sh
# Runs one GUI test program under Wine on its own X server, then turns the
# screenshots it saved into PNG files. Usage: run-gui-test.sh PROGRAM.exe
# WINE names the loader to use (default: wine).
set -u
program="$1"
status=0
# Tell the tests when 32-bit Wine runs through qemu (see scripts/bootstrap).
case "${WINE:-wine}" in
*wine64) ;;
*) [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && export WINE_UNDER_EMULATION=1 ;;
esac
# A crash must fail the test, not wait for a debugger.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winedbg.exe=d"
# Each run searches for a free display from its own number, so that runs
# started together do not pick the same one.
xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 1024x768x24" "${WINE:-wine}" "$program" --gtest_brief=1 || status=$?
for bmp in ../screenshots/*.bmp; do
    [ -f "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
exit $status
