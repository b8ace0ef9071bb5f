#!/usr/bin/env bash
# Installs what is missing, builds the engine and runs it once on the bundled
# example: a manual migration of one user's printer connections, recorded in a
# connection profile. Shows what changed and everything the run wrote.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc 2>/dev/null || echo 2)" --target VelloranEngine velloran

work=$(mktemp -d "${TMPDIR:-/tmp}/velloran-demo.XXXXXX")
mkdir -p "$work/deploy" "$work/results"
cp build/engine/VelloranEngine build/engine/VelloranMessageBox build/engine/velloran-directory.so \
  examples/manual-migration.ini "$work/deploy/"
cp examples/connections.txt "$work/connections.txt"
cp examples/connections.txt "$work/connections.before.txt"

export VELLORAN_PRINTERS="profile:$work/connections.txt"
export VELLORAN_USER_HIVE="$work/user.hive"
export VELLORAN_MACHINE_HIVE="$work/machine.hive"
export VELLORAN_MESSAGEBOX=console
export VELLORAN_EVENTLOG="file:$work/events.log"

section() { printf '\n===== %s =====\n' "$1"; }

section "Running $work/deploy/VelloranEngine (no argument: it finds manual-migration.ini beside itself)"
(cd "$work" && ./deploy/VelloranEngine) || { echo "the engine failed" >&2; exit 1; }

section "Printer connections before -> after ($work/connections.txt)"
diff -u --label before --label after "$work/connections.before.txt" "$work/connections.txt" || true

section "Output file(s) in $work/results"
for f in "$work"/results/*; do [ -e "$f" ] && { echo "--- $f"; cat "$f"; echo; }; done

section "Event log records ($work/events.log)"
[ -e "$work/events.log" ] && cat "$work/events.log" || echo "(none)"

section "Run-once marker ($work/user.hive)"
[ -e "$work/user.hive" ] && cat "$work/user.hive" || echo "(none)"

section "Debug file $work/deploy/PC01.debug, decoded with: velloran decode-debug"
"$root/build/tools/velloran" decode-debug "$work/deploy/PC01.debug" | tr -d '\r'

section "Everything is in $work"
