#!/usr/bin/env bash
# Installs a velloran .deb into a scratch root (dpkg -x, no root needed) and
# checks that it holds what an installation needs and that the installed
# programs run: each answers --version with the package's version, the
# command reads a share, and the toolkit finds its help pages. The CUPS
# client recipe is installed into the same root by its own installer and
# checked there (sh -n, visudo -cf, systemd-analyze verify), and the
# installed engine loads its modules from /usr/lib/velloran. A package
# without the Windows engine must say so in its file name.
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
         ./usr/share/doc/velloran/README.md ./usr/share/doc/velloran/guide/index.md \
         ./usr/share/doc/velloran/guide/troubleshooting.md \
         ./usr/share/velloran/examples/manual-migration.ini \
         ./usr/share/velloran/examples/install-cups-client.sh; do
  grep -qxF "$f" <<<"$listing" || bad "missing $f"
done
# One name, one content: the full package holds the Windows engine and its
# message file; one without them says so in its name.
if [ "$want_exe" = --with-windows-engine ]; then
  for f in VelloranEngine.exe EvntMsg.dll; do
    grep -qxF "./usr/share/velloran/$f" <<<"$listing" || bad "missing $f"
  done
  case $deb in *without-windows-engine*) bad "$deb holds the Windows engine but its name denies it" ;; esac
else
  grep -q 'VelloranEngine\.exe$' <<<"$listing" && bad "VelloranEngine.exe in a package not named for it"
  case $deb in
    *_without-windows-engine.deb) ;;
    *) bad "$deb lacks the Windows engine but its name does not say so" ;;
  esac
fi
grep -q libsasl2-modules-gssapi-mit <<<"$(dpkg-deb -f "$deb" Recommends)" ||
  bad "Recommends lacks libsasl2-modules-gssapi-mit (Kerberos binds)"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libldap-2.5-0 libcups2 qt6-qpa-plugins; do
  grep -q "$lib" <<<"$depends" || bad "Depends lacks $lib: $depends"
done

for p in usr/bin/velloran usr/sbin/VelloranEngine usr/bin/VelloranDeploymentToolkit; do
  got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/$p" --version 2>&1) || bad "$p --version failed: $got"
  [ "$got" = "$(basename "$p") $version" ] || bad "$p --version says \"$got\", want \"$(basename "$p") $version\""
done

# What is run as a program is executable, and nothing else under examples/
# is: a script that is only sourced or copied must not pass for a command.
while read -r mode path; do
  file=$root/${path#./}
  if [ "$(head -c 2 "$file")" = "#!" ]; then
    [[ $mode == -rwxr-xr-x ]] || bad "$path starts with #! but is $mode"
  else
    [[ $mode == -rw-r--r-- ]] || bad "$path is $mode, not a plain file"
  fi
done < <(dpkg-deb -c "$deb" | awk '$6 ~ /^\.\/usr\/share\/velloran\/examples\/./ && $1 !~ /^d/ {print $1, $6}')

# The package puts no library where the dynamic linker looks (its modules
# live in /usr/lib/velloran and are loaded by path), so no maintainer script
# may run ldconfig; one that is not needed is not shipped at all.
grep -E '^\./(usr/)?lib/[^/]+\.so' <<<"$listing" && bad "a library on the linker's path"
control=$(mktemp -d -p "$root")
dpkg-deb -e "$deb" "$control"
for script in preinst postinst prerm postrm; do
  [ -e "$control/$script" ] || continue
  grep -q ldconfig "$control/$script" && bad "$script calls ldconfig"
  grep -Eqv '^(#.*|set -e|exit 0|[[:space:]]*)$' "$control/$script" || bad "$script does nothing"
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

# The CUPS client recipe, installed as the guide says, into the scratch root.
examples=$root/usr/share/velloran/examples
for mode in logon boot; do
  sh "$examples/install-cups-client.sh" "$mode" "$root" || bad "install-cups-client.sh $mode failed"
done
for f in usr/local/sbin/velloran-as-root etc/profile.d/velloran-logon.sh \
         usr/share/velloran/examples/install-cups-client.sh; do
  sh -n "$root/$f" || bad "$f does not parse"
done
wrapper_engine=$(sed -n 's/^engine=//p' "$root/usr/local/sbin/velloran-as-root")
[ -x "$root$wrapper_engine" ] || bad "the wrapper starts $wrapper_engine, which the package does not install"
[ -f "$root/etc/velloran/move.ini" ] || bad "the recipe installed no /etc/velloran/move.ini"
if command -v visudo >/dev/null 2>&1; then
  visudo -cqf "$root/etc/sudoers.d/velloran" || bad "visudo -cf rejects etc/sudoers.d/velloran"
  [ "$(stat -c %a "$root/etc/sudoers.d/velloran")" = 440 ] || bad "sudoers rule not mode 0440"
else
  echo "check-package: no visudo (install sudo): the sudoers rule is not checked" >&2
fi
if command -v systemd-analyze >/dev/null 2>&1 && [ -d /usr/lib/systemd/system ]; then
  # The unit is checked in the scratch root, its ExecStart included; the
  # targets it names come from this machine's systemd.
  mkdir -p "$root/usr/lib/systemd"
  cp -a /usr/lib/systemd/system "$root/usr/lib/systemd/"
  verified=$(systemd-analyze verify --man=no --root="$root" \
    /etc/systemd/system/velloran-engine.service 2>&1) ||
    bad "systemd-analyze verify: $verified"
  [ -z "$verified" ] || bad "systemd-analyze verify: $verified"
else
  echo "check-package: no systemd-analyze (install systemd): the unit is not checked" >&2
fi

# The installed engine finds its directory module in /usr/lib/velloran: a
# directory request reaches the (absent) server instead of failing with 429.
run=$(mktemp -d -p "$root")
computer=check-package-$$
printf 'computer: %s\n' "$computer" > "$run/connections.txt"
printf '[GENERAL]\r\nUseActiveDirectory=True\r\nAlwaysRun=True\r\n[ACTIVE DIRECTORY]\r\nDomainName=127.0.0.1:9/DC=x\r\n[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=%s\r\nFileOutputName=outcome.txt\r\n' \
  "$run" > "$run/move.ini"
env -u DISPLAY -u WAYLAND_DISPLAY XDG_STATE_HOME="$run/state" XDG_CONFIG_HOME="$run/config" \
  VELLORAN_PRINTERS="profile:$run/connections.txt" VELLORAN_EVENTLOG="file:$run/events" \
  VELLORAN_MESSAGEBOX=console VELLORAN_LDAP_BIND=anonymous VELLORAN_LDAP_TIMEOUT=5 \
  "$root/usr/sbin/VelloranEngine" "$run/move.ini" 2>/dev/null && status=0 || status=$?
# The server is not there: the run fails, and says so in its exit status.
[ "$status" -eq 1 ] || bad "the installed engine's failed directory run ended with status $status, not 1"
outcome=$(cat "$run/outcome.txt" 2>/dev/null || true)
grep -q "Error Description" <<<"$outcome" || bad "the installed engine's directory run reported nothing: $outcome"
grep -q "Error Number: 429" <<<"$outcome" && bad "the installed engine cannot load its directory module: $outcome"
# Its debug file goes to the state folder, not into usr/sbin.
[ -e "$root/usr/sbin/$computer.debug" ] && bad "the installed engine wrote its debug file into usr/sbin"
if [ "$(id -u)" -eq 0 ]; then state_debug=/var/log/velloran/$computer.debug; else state_debug=$run/state/velloran/$computer.debug; fi
[ -e "$state_debug" ] || bad "no debug file at $state_debug"
rm -f "/var/log/velloran/$computer.debug" 2>/dev/null || true

if [ $fail -ne 0 ]; then
  echo "check-package: $deb FAILED" >&2
  exit 1
fi
echo "check-package: $deb installs and runs ($(grep -c . <<<"$listing") entries)"
