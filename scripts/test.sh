#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, runs every test,
# then runs the unit tests again under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

jobs=$(nproc 2>/dev/null || echo 2)

echo "== build (warnings are errors)"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"

echo "== tests"
export QT_QPA_PLATFORM=offscreen
ctest --preset default -j "$jobs"

echo "== package: .deb built, installed into a scratch root, its programs run"
package_start=$(date +%s)
scripts/package.sh --no-windows
echo "== package stage took $(( $(date +%s) - package_start )) s"

echo "== unit tests under ASan + UBSan"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --preset sanitize -j "$jobs"
