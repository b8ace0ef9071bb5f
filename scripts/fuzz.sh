#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs one of them.
#
#   scripts/fuzz.sh TARGET SECONDS   run fuzz_TARGET for SECONDS
#   scripts/fuzz.sh --smoke SECONDS  run every target for SECONDS each
#   scripts/fuzz.sh --list           name the targets
#
# Runs start from the seed inputs in fuzz/corpus/TARGET and keep what they
# find in build-fuzz/corpus/TARGET, so the tree's seeds stay small. A
# failing input is written to build-fuzz/crashes/ and the script exits 1.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  sed -n '3,10p' "$0" | sed 's/^# \{0,1\}//'
}

# The targets this tree builds (a target needs its sources, e.g. the CUPS
# mapping); configuring writes the list.
targets() {
  cmake --preset fuzz --no-warn-unused-cli >/dev/null
  cat build-fuzz/fuzz-targets.txt
}

case "${1:-}" in
  -h|--help) usage; exit 0 ;;
  --list) targets; exit 0 ;;
  "") usage >&2; exit 2 ;;
esac
if [ $# -ne 2 ] || ! [[ "$2" =~ ^[0-9]+$ ]]; then
  usage >&2
  exit 2
fi

if ! command -v clang++-14 >/dev/null 2>&1; then
  echo "fuzz: clang++-14 not found: install the Debian packages clang-14 and libclang-rt-14-dev" >&2
  exit 2
fi

if [ "$1" = "--smoke" ]; then
  wanted=$(targets)
else
  if ! targets | grep -qx "$1"; then
    echo "fuzz: no target '$1'; the targets are:" $(targets) >&2
    exit 2
  fi
  wanted=$1
fi
seconds=$2

build_targets=()
for t in $wanted; do build_targets+=("fuzz_$t"); done
cmake --build --preset fuzz -j "$(nproc 2>/dev/null || echo 2)" --target "${build_targets[@]}"

# The targets that read files write them to TMPDIR: memory is faster than
# a disk that syncs, and no run leaves anything behind.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

mkdir -p build-fuzz/crashes
# One target's run, its verdict on stdout (and stderr on failure).
run_target() {
  local t=$1
  mkdir -p "build-fuzz/corpus/$t"
  local log="build-fuzz/fuzz_$t.log"
  # VELLORAN_FUZZ_SEED fixes the mutations, so that a run can be repeated
  # (the test stage sets it; a failure there then shows again here).
  if build-fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -print_final_stats=1 \
      ${VELLORAN_FUZZ_SEED:+-seed="$VELLORAN_FUZZ_SEED"} ${VELLORAN_FUZZ_RUNS:+-runs="$VELLORAN_FUZZ_RUNS"} \
      -artifact_prefix="build-fuzz/crashes/$t-" "build-fuzz/corpus/$t" fuzz/corpus/"$t" >"$log" 2>&1; then
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz_$t: ${runs:-?} executions (at most ${seconds}s), no failure"
  else
    echo "fuzz_$t: FAILED, see $log and build-fuzz/crashes/" >&2
    grep -aE 'property violated|ERROR:|SUMMARY' "$log" | head -5 >&2 || true
    return 1
  fi
}

# Each run is one process on one core: as many at once as there are cores,
# their verdicts printed in the targets' order.
parallel=$(nproc 2>/dev/null || echo 1)
verdicts=$(mktemp -d)
trap 'rm -rf "$verdicts"' EXIT
for t in $wanted; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  { run_target "$t" >"$verdicts/$t.out" 2>"$verdicts/$t.err"; echo $? >"$verdicts/$t.rc"; } &
done
wait
status=0
for t in $wanted; do
  cat "$verdicts/$t.out"
  cat "$verdicts/$t.err" >&2
  [ "$(cat "$verdicts/$t.rc" 2>/dev/null)" = 0 ] || status=1
done
exit $status
