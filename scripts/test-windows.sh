#!/usr/bin/env bash
# The Windows engine's CI stage: cross-builds VelloranEngine.exe, EvntMsg.dll,
# velloran.exe and the Windows backends' tests with warnings as errors, then
# runs those tests and the engine's end-to-end suite against the .exe (and
# velloran.exe against the Linux velloran) under Wine, headless, in a Wine
# prefix of its own, where a test stand-in is the printer-connection network object.
#
#   scripts/test-windows.sh prefix DIR   create the Wine prefix DIR/wine (slow:
#                                        start it early, in the background)
#   scripts/test-windows.sh run DIR      build and test (after "prefix"; needs
#                                        the Linux build in build/ for the
#                                        e2e runner)
#   scripts/test-windows.sh stop DIR     stop the prefix's Wine server
set -euo pipefail
cd "$(dirname "$0")/.."

usage() { sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; }
[ $# -eq 2 ] || { usage >&2; exit 2; }
command=$1
export WINEPREFIX="$2/wine" WINEDEBUG=-all
# Headless: Wine must not look for a display.
unset DISPLAY WAYLAND_DISPLAY

case $command in
  prefix)
    mkdir -p "$2"
    wineboot --init
    # wineboot returns before the prefix is written out.
    wineserver --wait
    ;;
  stop)
    [ -d "$WINEPREFIX" ] && wineserver --kill 2>/dev/null || true
    ;;
  run)
    start=$SECONDS
    # The Linux build's own cross build of the engine, when it made one:
    # only the tests are left to compile.
    export BUILD=${BUILD:-build/windows-engine}
    JOBS=${JOBS:-2} scripts/build-windows.sh --tests
    exe=$BUILD/engine/VelloranEngine.exe
    scripts/check-windows-program.sh "$exe" gui
    # velloran.exe: a console program that runs from a share or a desktop.
    tool=$BUILD/engine/velloran.exe
    scripts/check-windows-program.sh "$tool" console
    # One Wine server for the whole stage instead of one per process.
    # (It refuses when one already runs for this prefix: that one is used.)
    wineserver --persistent 2>/dev/null ||
      echo "test-windows: using the Wine server already running for $WINEPREFIX"
    trap 'wineserver --kill 2>/dev/null || true' EXIT
    # Wine's own network object implements none of the printer members: the
    # test stand-in takes its ProgID in this prefix (never installed
    # anywhere else). Machine-wide keys: Wine does not find a user's class.
    fake=$(winepath -w "$PWD/$BUILD/engine/fakenetwork.dll")
    wine regsvr32 /s "$fake"
    echo "-- build and registration: $((SECONDS - start)) s"
    echo "-- Windows backends (win32_backends.exe)"
    wine "$BUILD/engine/win32_backends.exe" --gtest_brief=1
    echo "-- after the backends: $((SECONDS - start)) s"
    echo "-- engine end-to-end suite against $exe, printers through COM"
    # (WindowsCommandLineTest compares velloran.exe with the Linux velloran
    # on the same share, debug file and INI file.)
    VELLORAN_E2E_ENGINE=$PWD/$exe VELLORAN_E2E_RUNNER=wine VELLORAN_E2E_PRINTERS=system \
      VELLORAN_E2E_WINDOWS_TOOL=$PWD/$tool ctest --preset default -L e2e -j "${JOBS:-2}"
    echo "-- after the end-to-end suite: $((SECONDS - start)) s"
    # The toolkit's windows: a script of their own.
    scripts/test-windows-toolkit.sh "$BUILD"
    echo "-- Windows stage: $((SECONDS - start)) s"
    ;;
  *) usage >&2; exit 2 ;;
esac
