#!/usr/bin/env bash
# Redraws docs/screenshots/fleet-page.png: the fleet page of the share the
# browser test generates, drawn by headless Chromium. Needs a build with the
# end-to-end tests (BUILD, default build) and chromium (scripts/deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
out=$PWD/docs/screenshots/fleet-page.png
cmake --build "$BUILD" --target e2e_engine velloran
VELLORAN_FLEET_SCREENSHOT=$out "$BUILD/tests/e2e_engine" \
  --gtest_filter='FleetPageInBrowser.TheTableSortsByTheColumnTheAddressNames'
echo "fleet-page-screenshot: $out"
