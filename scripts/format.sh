#!/usr/bin/env bash
# Formats every C++ source of the tree with clang-format (.clang-format at the
# top). With --check it changes nothing and fails when a file is not formatted.
set -euo pipefail
cd "$(dirname "$0")/.."

CLANG_FORMAT=${CLANG_FORMAT:-clang-format}
if ! command -v "$CLANG_FORMAT" >/dev/null 2>&1; then
  echo "format.sh: $CLANG_FORMAT not found: install the Debian package clang-format" >&2
  exit 1
fi

mapfile -t files < <(git ls-files '*.cpp' '*.h')
case "${1:-}" in
  --check)
    if ! "$CLANG_FORMAT" --dry-run --Werror "${files[@]}"; then
      echo "format.sh: the files above are not formatted: run scripts/format.sh" >&2
      exit 1
    fi
    echo "format: ${#files[@]} files formatted"
    ;;
  "")
    "$CLANG_FORMAT" -i "${files[@]}"
    ;;
  -h|--help)
    echo "Usage: scripts/format.sh [--check]"
    ;;
  *)
    echo "Usage: scripts/format.sh [--check]" >&2
    exit 2
    ;;
esac
