#!/bin/sh
# Installs the CUPS client recipe for the packaged engine (/usr/sbin/
# VelloranEngine, its modules in /usr/lib/velloran) from these examples:
#
#   install-cups-client.sh logon [ROOT]   the engine at each logon, as root
#                                         through sudo: wrapper, sudoers
#                                         rule, /etc/profile.d hook
#   install-cups-client.sh boot [ROOT]    the engine once at boot: wrapper
#                                         and systemd unit
#
# Both put the INI file at /etc/velloran/move.ini (the example INI file,
# unless one is there already: edit it). ROOT installs below another root
# folder (a scratch root for checks); the default is /.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
mode=${1:-}
root=${2:-}
case $mode in
  logon | boot) ;;
  *) echo "usage: install-cups-client.sh logon|boot [ROOT]" >&2; exit 2 ;;
esac

install -D -m 0755 "$here/velloran-as-root.sh" "$root/usr/local/sbin/velloran-as-root"
if [ ! -e "$root/etc/velloran/move.ini" ]; then
  install -D -m 0644 "$here/manual-migration.ini" "$root/etc/velloran/move.ini"
fi
if [ "$mode" = logon ]; then
  install -D -m 0440 "$here/velloran-sudoers" "$root/etc/sudoers.d/velloran"
  install -D -m 0644 "$here/velloran-logon.sh" "$root/etc/profile.d/velloran-logon.sh"
else
  install -D -m 0644 "$here/velloran-engine.service" \
    "$root/etc/systemd/system/velloran-engine.service"
  if [ -z "$root" ]; then
    echo "now: systemctl daemon-reload && systemctl enable velloran-engine"
  fi
fi
