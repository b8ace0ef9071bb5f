# Starts the engine at each logon, through sudo as root (velloran-as-root).
# Installed as /etc/profile.d/velloran-logon.sh, which login shells source:
# it must neither end the shell nor hold up the logon, and leaves no
# variable behind. The engine runs in the background, detached from the
# shell; its reports go to syslog and the output file, not to the
# terminal. sudo -n never asks for a password: without the sudoers rule
# nothing happens.
if command -v sudo >/dev/null 2>&1; then
  (sudo -n /usr/local/sbin/velloran-as-root </dev/null >/dev/null 2>&1 &)
fi
