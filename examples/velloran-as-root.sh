#!/bin/sh
# Runs the engine as root for the user who logged on (sudo sets SUDO_USER).
# Install as /opt/velloran/velloran-as-root.sh, owned by root, mode 0755, and
# allow it with velloran-sudoers. Every setting is fixed here: nothing the
# user's environment says reaches a program running as root.
set -eu
case "${SUDO_USER:-}" in
  '' | *[!A-Za-z0-9._-]* | -*) echo "velloran: run me through sudo" >&2; exit 2 ;;
esac
mkdir -p /var/lib/velloran/users
export VELLORAN_PRINTERS=cups
export VELLORAN_MESSAGEBOX=console
export VELLORAN_EVENTLOG=syslog
# Queues are saved here before they are deleted (velloran restore-queue FILE).
export VELLORAN_QUEUE_STATE=/var/lib/velloran/queues
# The run-once marker per user, where the user cannot edit it.
export VELLORAN_USER_HIVE="/var/lib/velloran/users/$SUDO_USER.hive"
exec /opt/velloran/VelloranEngine /opt/velloran/move.ini
