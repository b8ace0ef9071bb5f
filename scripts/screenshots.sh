#!/usr/bin/env bash
# Renders every page of the deployment toolkit, for an Active Directory and a
# manual INI file, the New-INI dialog and Check Targets (its progress window and its
# list of a sample check) to PNG files under docs/screenshots/.
# Runs on Qt's offscreen platform: no display is needed.
#
#   scripts/screenshots.sh [OUTPUT_FOLDER]
#   scripts/screenshots.sh --windows [OUTPUT_FOLDER]
#       the Windows toolkit instead, cross-built and drawn by Wine on a
#       virtual display (Xvfb), into docs/screenshots/windows/. WINEPREFIX
#       names a prefix to use; without it a new one is made (slow).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = --windows ]; then
  shift
  exec scripts/screenshots-windows.sh "$@"
fi

out=${1:-docs/screenshots}
build=${VELLORAN_BUILD_DIR:-build}
jobs=${JOBS:-2}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset default >/dev/null
fi
cmake --build "$build" -j "$jobs" --target toolkit_screenshots

# Render into a folder of our own, then put the pages in place: the output
# folder may hold other pictures, and only the pages we render are ours to
# replace. In docs/screenshots the toolkit's own pages are cleared first so
# renamed pages leave no stale copies behind; the pictures other scripts
# draw there (fleet-page.png) stay.
rendered=$(mktemp -d)
trap 'rm -rf "$rendered"' EXIT
QT_QPA_PLATFORM=offscreen "$build/toolkit/toolkit_screenshots" "$rendered" 2> >(grep -v propagateSizeHints >&2)
mkdir -p "$out"
if [ "$(realpath "$out")" = "$(realpath docs/screenshots)" ]; then
  rm -f docs/screenshots/ad-*.png docs/screenshots/manual-*.png docs/screenshots/new-ini-*.png \
    docs/screenshots/check-*.png
fi
count=0
for page in "$rendered"/*.png; do
  mv -f "$page" "$out/"
  count=$((count + 1))
done
echo "screenshots: $count pages in $out"
