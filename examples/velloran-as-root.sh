#!/bin/sh
# Runs the packaged engine as root on this machine's CUPS queues: for the
# user who logged on (through sudo, which sets SUDO_USER), or with --boot
# once at start-up for the machine (velloran-engine.service).
#
# install-cups-client.sh installs it as /usr/local/sbin/velloran-as-root,
# owned by root, mode 0755; users reach it only through the sudoers rule
# (velloran-sudoers), which allows it without arguments.
#
# Nothing from the caller's environment reaches the engine. Every VELLORAN_*
# variable is set below (an empty value means the engine's default): a path
# taken from a user's environment would let that user make root write or
# read any file. KRB5CCNAME is dropped as well: sudo passes it on by
# default, and root would then bind to the directory with a ticket cache
# the user chose. Directory binds use this machine's own ticket, from its
# keytab, in a cache only root can read.
#
# The engine starts in / with root's HOME: sudo keeps the caller's folder
# (and may keep the caller's HOME), where the LDAP and CUPS client libraries
# look for configuration of their own (ldaprc, ~/.cups/client.conf) that
# would choose which directory and which scheduler root believes. LDAPRC,
# which names another such file, goes too.
set -eu
PATH=/usr/sbin:/usr/bin:/sbin:/bin
export PATH
unset KRB5CCNAME LDAPRC
cd /
HOME=$(getent passwd 0 | cut -d: -f6)
HOME=${HOME:-/root}
export HOME

engine=/usr/sbin/VelloranEngine
ini=/etc/velloran/move.ini
state=/var/lib/velloran
keytab=/etc/krb5.keytab
# The machine's account in the domain: its short host name in capitals and
# "$", as Active Directory names computer accounts.
principal="$(hostname -s | tr '[:lower:]' '[:upper:]')\$"

if [ "$#" -eq 1 ] && [ "$1" = --boot ]; then
  marker=boot
elif [ "$#" -eq 0 ]; then
  user=${SUDO_USER:-}
  # Local names (alice, alice.smith) and the names domain logons give
  # (alice@corp.example from SSSD, CORP\alice from winbind). The name
  # becomes a file name below: nothing that starts like an option or a
  # hidden file, no "/", no blank or control character.
  case $user in
    '' | [!A-Za-z0-9]* | *[!A-Za-z0-9._@+\\-]*)
      echo "velloran-as-root: run me through sudo (SUDO_USER must be a user name)" >&2
      exit 2 ;;
  esac
  if [ "${#user}" -gt 256 ]; then
    echo "velloran-as-root: SUDO_USER is too long for a user name" >&2
    exit 2
  fi
  marker=users/$user
else
  echo "usage: velloran-as-root [--boot]" >&2
  exit 2
fi

umask 022
mkdir -p "$state/users"

if [ -r "$keytab" ] && command -v kinit >/dev/null 2>&1; then
  KRB5CCNAME=FILE:$state/krb5cc_machine
  export KRB5CCNAME
  # A ticket lasts hours: most logons reuse the one already there.
  if ! klist -s 2>/dev/null && ! kinit -k -t "$keytab" "$principal" 2>/dev/null; then
    echo "velloran-as-root: kinit -k -t $keytab $principal failed: directory binds go without a ticket" >&2
  fi
fi

# The run-once marker per user (or for the machine at boot), where users
# cannot edit it.
export VELLORAN_USER_HIVE="$state/$marker.hive"
export VELLORAN_MACHINE_HIVE="$state/machine.hive"
export VELLORAN_PRINTERS=cups
# A root process has no access to the user's display.
export VELLORAN_MESSAGEBOX=console
export VELLORAN_EVENTLOG=syslog
# Queues are saved here before they are deleted (velloran restore-queue FILE).
export VELLORAN_QUEUE_STATE="$state/queues"
export VELLORAN_LDAP_BIND=auto
export VELLORAN_LDAP_TLS=
export VELLORAN_LDAP_TIMEOUT=
export VELLORAN_LDAP_USER=
export VELLORAN_LDAP_PASSWORD_FILE=
export VELLORAN_SMTP_TICK_MS=
export VELLORAN_CODEPAGE=
exec "$engine" "$ini"
