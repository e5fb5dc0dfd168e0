#!/bin/sh
# The server's own user, its data folder, its settings and its token, made
# once; an upgrade keeps what the administrator changed.
set -e
if [ "$1" = configure ]; then
  if ! getent passwd ate25400 >/dev/null; then
    adduser --system --group --home /var/lib/ate25400 --no-create-home ate25400
  fi
  install -d -o ate25400 -g ate25400 -m 0750 /var/lib/ate25400
  install -d -m 0755 /etc/ate25400
  if [ ! -e /etc/ate25400/appserver.conf ]; then
    install -m 0644 /usr/share/doc/ate25400-server/examples/appserver.conf /etc/ate25400/appserver.conf
  fi
  if [ ! -e /etc/ate25400/token ]; then
    umask 027
    od -An -N24 -tx1 /dev/urandom | tr -d ' \n' > /etc/ate25400/token
    echo >> /etc/ate25400/token
    chown root:ate25400 /etc/ate25400/token
    chmod 0640 /etc/ate25400/token
  fi
  if [ -d /run/systemd/system ]; then
    systemctl daemon-reload >/dev/null || true
  fi
fi
exit 0
