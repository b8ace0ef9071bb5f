#!/usr/bin/env bash
# Renders every page of the deployment toolkit, for an Active Directory and a
# manual INI file, and the New-INI dialog to PNG files under docs/screenshots/.
# Runs on Qt's offscreen platform: no display is needed.
#
#   scripts/screenshots.sh [OUTPUT_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."

out=${1:-docs/screenshots}
build=${VELLORAN_BUILD_DIR:-build}
jobs=${JOBS:-2}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset default >/dev/null
fi
cmake --build "$build" -j "$jobs" --target toolkit_screenshots

mkdir -p "$out"
rm -f "$out"/*.png
QT_QPA_PLATFORM=offscreen "$build/toolkit/toolkit_screenshots" "$out" 2> >(grep -v propagateSizeHints >&2)
echo "screenshots: $(ls "$out"/*.png | wc -l) pages in $out"
