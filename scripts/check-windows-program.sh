#!/usr/bin/env bash
# Checks that a cross-built Windows program runs from a share as one file:
# the subsystem it is meant for, and no DLL imports beyond Windows' own (the
# compiler's runtime is linked in).
#
#   scripts/check-windows-program.sh EXE gui|console
set -euo pipefail
[ $# -eq 2 ] || { sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
exe=$1
case $2 in
  gui) subsystem='Windows GUI' ;;
  console) subsystem='Windows CUI' ;;
  *) echo "check-windows-program: gui or console, not $2" >&2; exit 2 ;;
esac
# Read whole first: grep -q would stop reading early, and under pipefail
# objdump's broken pipe would count as no match.
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
if ! grep -q "Subsystem.*$subsystem" <<<"$headers"; then
  echo "check-windows-program: $exe is not a $2 program" >&2
  exit 1
fi
system_dlls='^(KERNEL32|USER32|GDI32|COMCTL32|COMDLG32|SHELL32|OLE32|OLEAUT32|ADVAPI32|NETAPI32|MSVCRT|WS2_32|VERSION|SHLWAPI|UXTHEME|ACTIVEDS)\.DLL$|^WINSPOOL\.DRV$'
others=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr '[:lower:]' '[:upper:]' | grep -Ev "$system_dlls" || true)
if [ -n "$others" ]; then
  echo "check-windows-program: $exe imports DLLs that Windows does not have:" "${others//$'\n'/ }" >&2
  exit 1
fi
echo "-- $(basename "$exe"): $2 program, $(stat -c %s "$exe") bytes, imports only Windows' own DLLs"
