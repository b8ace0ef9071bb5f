#!/usr/bin/env bash
# Times whole runs of the engine, each a process started from outside as a
# logon script starts it, interleaved round by round with a bare C++ program:
# a no-op run (marker set), a typical run, the directory query against
# ldapsearch on the same slapd, and the directory mode for 500 connections.
# Prints medians, ratios to the bare program and peak RSS. Not a test: the
# figures depend on the machine and on what else runs on it.
#
#   scripts/bench-engine.sh [--runs N] [--no-directory] [--engine PATH] [--compare PATH]
#
# --engine times another build of the engine instead of this tree's;
# --compare times a second build in the same rounds (a before/after pair).
# The programs and modules beside an engine are used with it. Installs
# nothing: it says what is missing and stops.
set -euo pipefail
if [ "${1:-}" = "--help" ] || [ "${1:-}" = "-h" ]; then
  sed -n '2,/^set -euo/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//'
  exit 0
fi
cd "$(dirname "$0")/.."

missing=()
command -v cmake >/dev/null || missing+=("cmake")
[ -x /usr/bin/python3 ] && /usr/bin/python3 -c 'import aiosmtpd' 2>/dev/null || missing+=("python3-aiosmtpd")
want_directory=1
for a in "$@"; do [ "$a" = "--no-directory" ] && want_directory=0; done
if [ "$want_directory" = 1 ]; then
  command -v slapd >/dev/null || [ -x /usr/sbin/slapd ] || missing+=("slapd")
  command -v ldapsearch >/dev/null || missing+=("ldap-utils")
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "bench-engine: missing Debian packages: ${missing[*]} (scripts/deps.sh installs them)" >&2
  exit 1
fi

if [ ! -f build/CMakeCache.txt ]; then
  cmake --preset default >/dev/null
fi
cmake --build --preset default -j "${JOBS:-2}" --target velloran_bench_runs VelloranEngine >/dev/null

echo "== engine runs ($(nproc) CPUs, load $(cut -d' ' -f1-3 /proc/loadavg))"
exec build/bench/velloran_bench_runs "$@"
