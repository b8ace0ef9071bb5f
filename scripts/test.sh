#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, runs every test,
# then runs the unit tests again under AddressSanitizer and UBSan, and each
# fuzz target for a few seconds.
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

echo "== unit tests under ASan + UBSan"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --preset sanitize -j "$jobs"

# A smoke run of every fuzz target: a property broken by a change shows here;
# longer runs are scripts/fuzz.sh TARGET SECONDS.
echo "== fuzz targets, ${VELLORAN_FUZZ_SECONDS:=4}s each"
fuzz_start=$(date +%s)
scripts/fuzz.sh --smoke "$VELLORAN_FUZZ_SECONDS"
echo "== fuzz stage took $(( $(date +%s) - fuzz_start ))s"
