#!/usr/bin/env bash
# The Windows toolkit's pages as PNG files (scripts/screenshots.sh --windows):
# cross-builds the toolkit, draws every page under Wine on a virtual display
# (Xvfb, with Wine's own desktop so windows get their frames) and converts
# the pictures with ImageMagick. The manual pages show the example INI file,
# and Check Targets a check of it against sample servers.
#
#   scripts/screenshots-windows.sh [OUTPUT_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."

out=${1:-docs/screenshots/windows}
export BUILD=${BUILD:-build-windows}
for tool in Xvfb wine convert; do
  command -v $tool >/dev/null || { echo "screenshots: $tool is not installed" >&2; exit 1; }
done
JOBS=${JOBS:-2} scripts/build-windows.sh >/dev/null
cmake --build "$BUILD" -j "${JOBS:-2}" --target toolkit_win32_screenshots >/dev/null

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  wineserver --kill 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX=${WINEPREFIX:-$work/wine} WINEDEBUG=-all
[ -d "$WINEPREFIX" ] || { wineboot --init >/dev/null 2>&1; wineserver --wait; }

# A display number nobody uses.
display=90
while [ -e /tmp/.X$display-lock ] || [ -e /tmp/.X11-unix/X$display ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done
export DISPLAY=:$display
# A prefix that ran the window tests draws nowhere (the null driver).
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1

mkdir -p "$work/bmp"
wine explorer /desktop=velloran,1200x900 "$BUILD/engine/toolkit_win32_screenshots.exe" \
  "$(winepath -w "$work/bmp")" "$(winepath -w "$PWD/examples/manual-migration.ini")"
mkdir -p "$out"
count=0
for bmp in "$work"/bmp/*.bmp; do
  convert "$bmp" "$out/$(basename "${bmp%.bmp}").png"
  count=$((count + 1))
done
echo "screenshots: $count Windows pictures in $out"
