#!/usr/bin/env bash
# The Windows toolkit's part of the Windows stage (scripts/test-windows.sh run
# calls it with the cross build's folder): checks that the .exe is one GUI
# program that needs nothing beyond Windows' own DLLs, then runs its window
# tests under Wine in the stage's prefix (WINEPREFIX), without a display.
#
#   scripts/test-windows-toolkit.sh BUILD
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 1 ] || { sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
build=$1
exe=$build/engine/VelloranDeploymentToolkit.exe

# Read whole first: grep -q would stop reading early, and under pipefail
# objdump's broken pipe would count as no match.
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
if ! grep -q 'Subsystem.*Windows GUI' <<<"$headers"; then
  echo "test-windows-toolkit: $exe is not a GUI-subsystem program" >&2
  exit 1
fi
# Run from a share as one file: the compiler's runtime is linked in. The
# spooler's interface (the check of the targets) is a .drv of its own.
system_dlls='^(KERNEL32|USER32|GDI32|COMCTL32|COMDLG32|SHELL32|OLE32|OLEAUT32|ADVAPI32|NETAPI32|MSVCRT|WS2_32|VERSION|SHLWAPI|UXTHEME)\.DLL$|^WINSPOOL\.DRV$'
others=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr '[:lower:]' '[:upper:]' | grep -Ev "$system_dlls" || true)
if [ -n "$others" ]; then
  echo "test-windows-toolkit: $exe imports DLLs that Windows does not have:" "${others//$'\n'/ }" >&2
  exit 1
fi
if ! grep -q 'Microsoft.Windows.Common-Controls' "$exe"; then
  echo "test-windows-toolkit: $exe has no common controls 6 manifest" >&2
  exit 1
fi
echo "-- toolkit: $(stat -c %s "$exe") bytes, imports only Windows' own DLLs"

# Windows without a display: Wine's null graphics driver creates and runs
# them (the X11 one would refuse without DISPLAY).
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
# The driver is chosen when the prefix's desktop starts: the Wine server of
# the engine's tests (and its desktop) must go for the setting to count.
wineserver --kill 2>/dev/null || true
wineserver --wait 2>/dev/null || true
echo "-- toolkit windows (win32_toolkit.exe)"
wine "$build/engine/win32_toolkit.exe" --gtest_brief=1
