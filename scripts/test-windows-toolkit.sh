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

# One GUI program that needs nothing beyond Windows' own DLLs.
scripts/check-windows-program.sh "$exe" gui
if ! grep -q 'Microsoft.Windows.Common-Controls' "$exe"; then
  echo "test-windows-toolkit: $exe has no common controls 6 manifest" >&2
  exit 1
fi

# Windows without a display: Wine's null graphics driver creates and runs
# them (the X11 one would refuse without DISPLAY).
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
# The driver is chosen when the prefix's desktop starts: the Wine server of
# the engine's tests (and its desktop) must go for the setting to count.
wineserver --kill 2>/dev/null || true
wineserver --wait 2>/dev/null || true
echo "-- toolkit windows (win32_toolkit.exe)"
wine "$build/engine/win32_toolkit.exe" --gtest_brief=1
