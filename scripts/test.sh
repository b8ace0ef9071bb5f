#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds with warnings as
# errors, builds the programs once more as a packager does (Release, warnings
# not errors; beside the tests, at low priority), runs every test, runs the Windows engine's tests under Wine, then
# runs the unit tests again under AddressSanitizer and UBSan, and each fuzz
# target for a few seconds. Each stage prints its time.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)
started=$SECONDS
stage_start=$SECONDS
stage() {
  local now=$SECONDS
  if [ -n "${stage_name:-}" ]; then
    echo "== ${stage_name}: $((now - stage_start)) s"
  fi
  stage_name=${1:-}
  stage_start=$now
  [ -n "$stage_name" ] && echo "== $stage_name" || true
}

stage "dependencies"
scripts/deps.sh

stage "formatting"
scripts/format.sh --check

# Creating the Wine prefix takes a while: it runs while Linux builds.
wine_dir=$(mktemp -d)
trap 'scripts/test-windows.sh stop "$wine_dir"; rm -rf "$wine_dir"' EXIT
scripts/test-windows.sh prefix "$wine_dir" >"$wine_dir/prefix.log" 2>&1 &
wine_prefix_pid=$!

stage "build (warnings are errors)"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"

# What a packager runs: a plain Release build (-O3; warnings are shown, not
# errors) of the programs a package ships. It runs at the lowest priority
# beside the tests and the Windows stage, which mostly wait on servers and
# Wine, so it takes little time of its own; its stage is reported when it is
# waited for. With the compiler cache of the developers' builds, a run after
# the first compiles only what changed.
release_cache=()
if command -v ccache >/dev/null 2>&1; then
  release_cache=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
release_log=$wine_dir/release-build.log
(
  release_started=$SECONDS
  cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLORAN_BUILD_TESTS=OFF \
    -DVELLORAN_BUILD_BENCH=OFF -DVELLORAN_WINDOWS_ENGINE_BESIDE_TOOLKIT=OFF "${release_cache[@]}" >/dev/null &&
    nice -n 19 cmake --build build-release -j "$jobs" --target VelloranEngine velloran \
      VelloranDeploymentToolkit &&
    echo "Release build: $((SECONDS - release_started)) s, beside the tests and the Windows stage"
) >"$release_log" 2>&1 &
release_pid=$!

stage "tests"
export QT_QPA_PLATFORM=offscreen
ctest --preset default -j "$jobs"

stage "Windows engine: cross build, backend tests and e2e suite under Wine"
wait "$wine_prefix_pid" || { cat "$wine_dir/prefix.log"; exit 1; }
JOBS=$jobs scripts/test-windows.sh run "$wine_dir"

stage "Release build as packagers build it: the programs, no tests (waiting for it)"
wait "$release_pid" || { cat "$release_log"; echo "Release build failed" >&2; exit 1; }
tail -n 1 "$release_log"

stage "package: .deb and zip with the Windows engine built above, installed into a scratch root, checked"
scripts/package.sh

stage "unit tests under ASan + UBSan"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --preset sanitize -j "$jobs"

# A smoke run of every fuzz target: a property broken by a change shows here;
# longer runs are scripts/fuzz.sh TARGET SECONDS. A fixed seed and a fixed
# number of inputs make the stage give the same answer on every machine.
stage "fuzz targets, ${VELLORAN_FUZZ_RUNS:=20000} inputs each (ASan + UBSan)"
VELLORAN_FUZZ_SEED=${VELLORAN_FUZZ_SEED:-1} VELLORAN_FUZZ_RUNS=$VELLORAN_FUZZ_RUNS \
  scripts/fuzz.sh --smoke 60

stage
echo "== all stages: $((SECONDS - started)) s"
