#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, runs every test,
# runs the Windows engine's tests under Wine, then runs the unit tests again
# under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

jobs=$(nproc 2>/dev/null || echo 2)

# Creating the Wine prefix takes a while: it runs while Linux builds.
wine_dir=$(mktemp -d)
trap 'scripts/test-windows.sh stop "$wine_dir"; rm -rf "$wine_dir"' EXIT
scripts/test-windows.sh prefix "$wine_dir" >"$wine_dir/prefix.log" 2>&1 &
wine_prefix_pid=$!

echo "== build (warnings are errors)"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"

echo "== tests"
export QT_QPA_PLATFORM=offscreen
ctest --preset default -j "$jobs"

echo "== Windows engine (cross build, tests under Wine)"
wait "$wine_prefix_pid" || { cat "$wine_dir/prefix.log"; exit 1; }
JOBS=$jobs scripts/test-windows.sh run "$wine_dir"

echo "== unit tests under ASan + UBSan"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --preset sanitize -j "$jobs"
