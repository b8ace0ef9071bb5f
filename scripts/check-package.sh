#!/usr/bin/env bash
# Installs a velloran .deb into a scratch root (dpkg -x, no root needed) and
# checks that it holds what an installation needs and that the installed
# programs run: each answers --version with the package's version, the
# command reads a share, and the toolkit finds its help pages.
#
#   scripts/check-package.sh DEB [--with-windows-engine]
set -euo pipefail
deb=${1:?usage: check-package.sh DEB [--with-windows-engine]}
want_exe=${2:-}

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
version=$(dpkg-deb -f "$deb" Version)
fail=0
bad() { echo "check-package: $*" >&2; fail=1; }

listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/velloran ./usr/bin/VelloranDeploymentToolkit ./usr/sbin/VelloranEngine \
         ./usr/lib/velloran/VelloranMessageBox ./usr/lib/velloran/velloran-directory.so \
         ./usr/lib/velloran/velloran-cups.so \
         ./usr/share/man/man1/velloran.1.gz ./usr/share/man/man1/VelloranDeploymentToolkit.1.gz \
         ./usr/share/man/man8/VelloranEngine.8.gz \
         ./usr/share/applications/velloran-deployment-toolkit.desktop \
         ./usr/share/icons/hicolor/scalable/apps/velloran.svg \
         ./usr/share/bash-completion/completions/velloran \
         ./usr/share/velloran/help/index.html \
         ./usr/share/doc/velloran/copyright ./usr/share/doc/velloran/changelog.gz \
         ./usr/share/doc/velloran/examples/manual-migration.ini; do
  grep -qxF "$f" <<<"$listing" || bad "missing $f"
done
if [ "$want_exe" = --with-windows-engine ]; then
  grep -qxF ./usr/share/velloran/VelloranEngine.exe <<<"$listing" || bad "missing VelloranEngine.exe"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libldap-2.5-0 libcups2 qt6-qpa-plugins; do
  grep -q "$lib" <<<"$depends" || bad "Depends lacks $lib: $depends"
done

for p in usr/bin/velloran usr/sbin/VelloranEngine usr/bin/VelloranDeploymentToolkit; do
  got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/$p" --version 2>&1) || bad "$p --version failed: $got"
  [ "$got" = "$(basename "$p") $version" ] || bad "$p --version says \"$got\", want \"$(basename "$p") $version\""
done

share=$(mktemp -d -p "$root")
printf '\r\n* ----- My Networked Printers ----- *\r\nSALES (OLDSRV2)\r\n' > "$share/PC01_SUCCESS_report.txt"
report=$("$root/usr/bin/velloran" summary "$share") || bad "velloran summary failed"
grep -q "migrated *1" <<<"$report" || bad "velloran summary did not count PC01: $report"

bash -n "$root/usr/share/bash-completion/completions/velloran" || bad "completion script does not parse"
completed=$(bash -c "source '$root/usr/share/bash-completion/completions/velloran';
  COMP_WORDS=(velloran su); COMP_CWORD=1; _velloran; echo \${COMPREPLY[*]}")
[ "$completed" = summary ] || bad "completion of 'velloran su' gave \"$completed\""

if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$root/usr/share/applications/velloran-deployment-toolkit.desktop" || bad "desktop entry"
fi
if command -v man >/dev/null 2>&1; then
  for page in "$root"/usr/share/man/man*/*.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || bad "$(basename "$page"): $warnings"
  done
fi

if [ $fail -ne 0 ]; then
  echo "check-package: $deb FAILED" >&2
  exit 1
fi
echo "check-package: $deb installs and runs ($(grep -c . <<<"$listing") entries)"
