#!/usr/bin/env bash
# Installs the Debian packages that building and testing Velloran need, only
# those that are missing. Safe to run again.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libgl-dev
  libldap-dev libsasl2-dev ldap-utils slapd
  libsasl2-modules-gssapi-mit krb5-user libkrb5-dev openssl
  samba samba-ad-provision samba-dsdb-modules samba-vfs-modules
  libasio-dev
  python3-aiosmtpd
  dpkg-dev file zip
  systemd sudo
  clang-14 libclang-rt-14-dev
  libcups2-dev cups cups-client
  libsmbclient-dev
  g++-mingw-w64-x86-64-posix wine wine64
  chromium
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "deps: all ${#PACKAGES[@]} packages present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO=sudo; else
    echo "deps: missing packages (${missing[*]}) and not root: install them as root" >&2
    exit 1
  fi
else
  SUDO=
fi

# Service packages (slapd, samba, cups) must not start system daemons on install: the
# tests start their own servers on loopback ports. The switch holds for this
# install only: left in place, every later install on this machine would
# silently stop starting its services. One that was there before stays.
if [ ! -e /usr/sbin/policy-rc.d ]; then
  printf '#!/bin/sh\n# scripts/deps.sh: no service starts while it installs\nexit 101\n' |
    $SUDO tee /usr/sbin/policy-rc.d >/dev/null
  $SUDO chmod 755 /usr/sbin/policy-rc.d
  trap '$SUDO rm -f /usr/sbin/policy-rc.d' EXIT
fi

echo "deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
