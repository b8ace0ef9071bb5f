#!/bin/sh
# Starts the engine at each logon. Call it from the session start-up (for
# example /etc/profile.d/ or an /etc/xdg/autostart entry); -n: never ask
# for a password, fail instead.
exec sudo -n /opt/velloran/velloran-as-root.sh
