#!/usr/bin/env bash
# Builds the Debian package, and with the MinGW-w64 cross compiler also the
# Windows engine (in build/windows-engine, the tree the Linux build and the
# Windows tests use, so it is compiled once), which then goes into the
# package with its message file EvntMsg.dll (where Deploy Now finds them)
# and into a zip for Windows administrators. Results in build/package/. A
# package without the Windows engine is named ..._without-windows-engine.deb.
# The package is then installed into a scratch root and its programs and the
# CUPS client recipe checked (scripts/check-package.sh). LINTIAN=1 also runs
# lintian on the .deb.
#
#   scripts/package.sh [--no-windows]
set -euo pipefail
cd "$(dirname "$0")/.."

windows=auto
for arg in "$@"; do
  case $arg in
    --no-windows) windows=no ;;
    -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "package.sh: unknown argument $arg" >&2; exit 2 ;;
  esac
done
if [ "$windows" = auto ]; then
  if command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then windows=yes; else windows=no; fi
fi

jobs=$(nproc 2>/dev/null || echo 2)
out=build/package
exe=
if [ "$windows" = yes ]; then
  echo "== Windows engine (cross build)"
  BUILD=build/windows-engine JOBS=$jobs scripts/build-windows.sh
  exe=$PWD/build/windows-engine/engine/VelloranEngine.exe
elif command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
  echo "== --no-windows: the package goes without VelloranEngine.exe"
else
  echo "== no MinGW-w64 cross compiler: the package goes without VelloranEngine.exe"
fi

echo "== Linux programs"
# An empty VELLORAN_WINDOWS_ENGINE keeps an old cross build out of the package.
cmake --preset default -DVELLORAN_WINDOWS_ENGINE="$exe" >/dev/null
cmake --build --preset default -j "$jobs" \
  --target VelloranEngine velloran VelloranDeploymentToolkit toolkit_help velloran_docs \
  velloran-guide-html

echo "== .deb"
rm -rf "$out"
mkdir -p "$out"
(cd build && cpack -G DEB -B "$PWD/package" >/dev/null)
rm -rf "$out/_CPack_Packages"
deb=$(ls "$out"/velloran_*.deb)
dpkg-deb -f "$deb" Package Version Depends Recommends Suggests

if [ -n "$exe" ]; then
  echo "== Windows zip"
  command -v zip >/dev/null 2>&1 || { echo "package.sh: install the Debian package zip" >&2; exit 1; }
  version=$(dpkg-deb -f "$deb" Version)
  stage=$(mktemp -d)
  trap 'rm -rf "$stage"' EXIT
  name=velloran-$version-windows-x64
  mkdir -p "$stage/$name/examples" "$stage/$name/help"
  windir=$(dirname "$exe")
  # The engine with its event message file, and the toolkit, which copies
  # both from beside itself; its help pages go in help\ beside it. The
  # command line (velloran.exe) reads result shares and debug files.
  cp "$exe" "$windir/EvntMsg.dll" "$windir/VelloranDeploymentToolkit.exe" "$windir/velloran.exe" \
    "$stage/$name/"
  cp docs/help/*.html docs/help/help.css "$stage/$name/help/"
  # The guide as HTML pages in guide\, with the screenshots they show; a
  # link to what the zip does not carry (manual pages, the source tree)
  # keeps its text, so the help and screenshots go in first.
  for shot in $(grep -oh '\.\./screenshots/[A-Za-z0-9._/-]*\.png' docs/guide/*.md | sort -u); do
    mkdir -p "$(dirname "$stage/$name/${shot#../}")"
    cp "docs/${shot#../}" "$stage/$name/${shot#../}"
  done
  mkdir -p "$stage/$name/guide"
  build/tools/velloran-guide-html "$stage/$name/guide" docs/guide/*.md
  # Notepad on older Windows shows a file without CR LF on one line.
  sed "s/@PROJECT_VERSION@/$version/; s/\$/\r/" packaging/README-windows.txt > "$stage/$name/README.txt"
  sed 's/\r\{0,1\}$/\r/' examples/manual-migration.ini > "$stage/$name/examples/manual-migration.ini"
  sed 's/\r\{0,1\}$/\r/' examples/connections.txt > "$stage/$name/examples/connections.txt"
  (cd "$stage" && zip -qr -X "$OLDPWD/$out/$name.zip" "$name")
  zip -sf "$out/$name.zip"
  for f in VelloranEngine.exe EvntMsg.dll VelloranDeploymentToolkit.exe velloran.exe help/index.html guide/index.html guide/troubleshooting.html README.txt examples/manual-migration.ini examples/connections.txt; do
    zip -sf "$out/$name.zip" | grep -qxF "  $name/$f" || { echo "package.sh: $f is not in the zip" >&2; exit 1; }
  done
  size=$(stat -c %s "$out/$name.zip")
  echo "Windows zip: $out/$name.zip, $size bytes ($(awk "BEGIN { printf \"%.1f\", $size / 1048576 }") MiB)"
  # A download for administrators: it stays small.
  [ "$size" -lt $((5 * 1024 * 1024)) ] || echo "package.sh: warning: the Windows zip is 5 MiB or more" >&2
fi

scripts/check-package.sh "$deb" ${exe:+--with-windows-engine}

if [ "${LINTIAN:-0}" = 1 ]; then
  echo "== lintian"
  lintian --tag-display-limit 0 --display-info "$deb" || true
fi
ls -l "$out"
