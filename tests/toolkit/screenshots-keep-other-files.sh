#!/usr/bin/env bash
# The screenshot script replaces its own pages and nothing else in the
# folder it is given.
set -euo pipefail
source_dir=$1
build_dir=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
printf 'not a page' > "$out/holiday.png"
printf 'old' > "$out/ad-00-general.png"
VELLORAN_BUILD_DIR=$build_dir "$source_dir/scripts/screenshots.sh" "$out" >/dev/null
[ "$(cat "$out/holiday.png")" = "not a page" ] || { echo "holiday.png was touched" >&2; exit 1; }
[ "$(head -c 4 "$out/ad-00-general.png" | od -An -c | tr -d ' ')" = "211PNG" ] || { echo "page not replaced" >&2; exit 1; }
[ "$(ls "$out" | wc -l)" -gt 10 ] || { echo "pages missing" >&2; exit 1; }
