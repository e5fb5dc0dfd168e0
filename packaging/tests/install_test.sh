#!/usr/bin/env bash
# Catches packages that install a tree which does not run: a library or the
# plug-in found only through the build tree, a missing report file or
# translation, a server that cannot start from its package, a host that
# cannot talk to it.
# As root, it then installs both packages on this machine for real (unless
# they are already installed), runs the menu entry's command as a desk user
# against the installed server, upgrades, removes and purges them, and
# checks what is left after each step.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
scratch=$(mktemp -d)
server_pid=
installed=false
had_user=true
desk=ate25400-test-desk
stop_server() {
  if [ -n "$server_pid" ] && kill -0 "$server_pid" 2>/dev/null; then
    kill -TERM "$server_pid"; wait "$server_pid" || true
  fi
  server_pid=
}
cleanup() {
  stop_server
  if [ "$installed" = true ]; then
    # Whatever step failed, the machine is left as it was found.
    dpkg -P ate25400-client ate25400-server >/dev/null 2>&1 || true
    rm -rf /var/lib/ate25400 /etc/ate25400
    rm -f /etc/systemd/system/multi-user.target.wants/ate-appserver.service
    getent passwd "$desk" >/dev/null && userdel "$desk" >/dev/null 2>&1
    if [ "$had_user" = false ]; then
      userdel ate25400 >/dev/null 2>&1 || true
      groupdel ate25400 >/dev/null 2>&1 || true
    fi
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# The port the server started as $server_pid wrote to FILE: the file
# appears, whole, once the server listens.
#   wait_for_port FILE SERVER_LOG
wait_for_port() {
  for _ in $(seq 1 300); do
    [ -s "$1" ] && break
    kill -0 "$server_pid" 2>/dev/null || { cat "$2" >&2; fail "the server died"; }
    sleep 0.1
  done
  [ -s "$1" ] || { cat "$2" >&2; fail "the server wrote no port"; }
  cat "$1"
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/packages" >"$scratch/cpack.log" 2>&1 \
  || { cat "$scratch/cpack.log" >&2; fail "cpack"; }
client=$(ls "$scratch"/packages/ate25400-client_*.deb)
server=$(ls "$scratch"/packages/ate25400-server_*.deb)
echo "packages: $(basename "$client") $(basename "$server")"

root=$scratch/root
dpkg -x "$client" "$root"
dpkg -x "$server" "$root"
for file in usr/bin/ate-host usr/bin/ate-appserver usr/bin/ate-demodata \
            usr/lib/ate25400/plugins/PKG_ATE25400.so usr/lib/ate25400/plugins/PKG_ATE25400_en.qm \
            usr/share/ate25400/relatorios/Ate254.rel usr/share/applications/ate-host.desktop \
            usr/share/icons/hicolor/scalable/apps/ate-host.svg \
            usr/lib/systemd/system/ate-appserver.service \
            etc/ate25400/appserver.conf etc/ate25400/host.conf \
            usr/share/man/man1/ate-host.1.gz usr/share/man/man1/ate-appserver.1.gz \
            usr/share/doc/ate25400-client/copyright usr/share/doc/ate25400-server/changelog.gz; do
  [ -e "$root/$file" ] || fail "$file is not in the packages"
done
# Nothing may reach back into the build tree.
if grep -rl --binary-files=text -F "$build" "$root/usr" >/dev/null; then
  fail "installed files name the build tree: $(grep -rl --binary-files=text -F "$build" "$root/usr")"
fi
dpkg-deb -f "$client" Depends | grep -q libqt6widgets6 || fail "the client does not depend on Qt"
dpkg-deb -f "$server" Depends | grep -q libpq5 || fail "the server does not depend on libpq"

# Moved away from where it was unpacked: the run paths are relative.
mv "$root" "$scratch/moved"
root=$scratch/moved
data=$scratch/data
mkdir -p "$data"
"$root/usr/bin/ate-demodata" --server-db "$data/ate25400.db" --local-db "$data/local.db" \
  >"$scratch/demodata.log" 2>&1 || { cat "$scratch/demodata.log" >&2; fail "ate-demodata"; }
printf 'installed-test-token\n' >"$data/token"
"$root/usr/bin/ate-appserver" --version | grep -q '^ate-appserver ' || fail "ate-appserver --version"
# Its English messages come with the package.
LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 "$root/usr/bin/ate-appserver" --help \
  | grep -q '^Usage: ate-appserver' || fail "the installed server's English help"

"$root/usr/bin/ate-appserver" --address 127.0.0.1 --port 0 --port-file "$data/port" \
  --database "$data/ate25400.db" --token-file "$data/token" 2>"$scratch/server.log" &
server_pid=$!
port=$(wait_for_port "$data/port" "$scratch/server.log")
echo "installed server on 127.0.0.1:$port"

shot=$scratch/ate25400.png
XDG_CONFIG_HOME=$scratch/config QT_QPA_PLATFORM=offscreen LC_ALL=pt_BR.UTF-8 \
  "$root/usr/bin/ate-host" --branch GRU --server 127.0.0.1 --port "$port" \
  --token-file "$data/token" --local-db "$data/ate25400.db" --open ATE25400 \
  --maximize-screen --screenshot "$shot" >"$scratch/host.log" 2>&1 \
  || { cat "$scratch/host.log" "$scratch/server.log" >&2; fail "the installed host's screenshot"; }
[ -s "$shot" ] || fail "no screenshot"
file "$shot" | grep -q 'PNG image' || fail "the screenshot is not a PNG"
mkdir -p "$build/packaging"
cp "$shot" "$build/packaging/installed-ate25400.png"
echo "ok: the installed host showed the screen from the installed server" \
  "($build/packaging/installed-ate25400.png)"

stop_server

# --- Installed for real: install, menu entry, upgrade, remove, purge. ---
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: installing the packages needs root"; exit 0
fi
for p in ate25400-client ate25400-server; do
  if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q installed; then
    echo "skipped: $p is installed on this machine; its installation is left alone"; exit 0
  fi
done
getent passwd ate25400 >/dev/null || had_user=false
installed=true
# The service's user and the desk user work inside the scratch folder.
chmod 755 "$scratch"
export DEBIAN_FRONTEND=noninteractive
dpkg -i "$server" "$client" >"$scratch/install.log" 2>&1 \
  || { cat "$scratch/install.log" >&2; fail "dpkg -i (are the packages' dependencies installed?)"; }
grep -qi warn "$scratch/install.log" && { cat "$scratch/install.log" >&2; fail "installing warned"; }
for f in /etc/ate25400/appserver.conf /etc/ate25400/host.conf /etc/ate25400/token; do
  [ -s "$f" ] || fail "$f is missing after installation"
done
[ "$(stat -c '%U:%G %a' /etc/ate25400/token)" = "root:ate25400 640" ] \
  || fail "token is $(stat -c '%U:%G %a' /etc/ate25400/token)"
dpkg-query -W -f='${Conffiles}' ate25400-server | grep -q /etc/ate25400/appserver.conf \
  || fail "appserver.conf is not a conffile"
dpkg-query -W -f='${Conffiles}' ate25400-client | grep -q /etc/ate25400/host.conf \
  || fail "host.conf is not a conffile"
token=$(cat /etc/ate25400/token)

runuser -u ate25400 -- /usr/bin/ate-demodata --server-db /var/lib/ate25400/ate25400.db \
  --local-db - >"$scratch/demodata-installed.log" 2>&1 \
  || { cat "$scratch/demodata-installed.log" >&2; fail "ate-demodata as the service's user"; }
run=$scratch/run
install -d -o ate25400 -g ate25400 "$run"
# The service's own command line, but on a port of its choosing.
runuser -u ate25400 -- /usr/bin/ate-appserver --config /etc/ate25400/appserver.conf \
  --port 0 --port-file "$run/port" 2>"$scratch/installed-server.log" &
server_pid=$!
port=$(wait_for_port "$run/port" "$scratch/installed-server.log")

# A desk user in group ate25400, with only the port in a settings file of
# its own: everything else comes from /etc/ate25400/host.conf.
useradd --system --no-create-home --shell /usr/sbin/nologin -G ate25400 "$desk"
home=$scratch/desk
install -d -o "$desk" "$home" "$home/.config" "$home/.config/ate25400"
install -d -m 700 -o "$desk" "$home/runtime"
install -d -m 700 -o nobody "$scratch/nobody-runtime"
printf '[server]\nport = %s\n' "$port" >"$home/.config/ate25400/host.conf"
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/ate-host.desktop)
menu_shot=$home/menu.png
# shellcheck disable=SC2086  # the Exec line is split as the desktop splits it
runuser -u "$desk" -- env HOME="$home" XDG_CONFIG_HOME="$home/.config" \
  XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=offscreen LANG=pt_BR.UTF-8 LC_ALL=pt_BR.UTF-8 \
  $exec_line --screenshot "$menu_shot" >"$scratch/menu.log" 2>&1 \
  || { cat "$scratch/menu.log" "$scratch/installed-server.log" >&2; fail "the menu entry's command"; }
file "$menu_shot" | grep -q 'PNG image' || fail "the menu entry's command took no picture"
cp "$menu_shot" "$build/packaging/menu-ate25400.png"
echo "ok: the menu entry's command opened the screen on the installed server as a desk user"
# Outside the group the token cannot be read, and the user is told so.
if runuser -u nobody -- env HOME=/nonexistent XDG_CONFIG_HOME="$home/.config" \
     XDG_RUNTIME_DIR="$scratch/nobody-runtime" \
     QT_QPA_PLATFORM=offscreen LANG=pt_BR.UTF-8 LC_ALL=pt_BR.UTF-8 \
     $exec_line --screenshot "$scratch/nobody.png" >"$scratch/nobody.log" 2>&1; then
  fail "a user outside group ate25400 reached the server"
fi
grep -q "token" "$scratch/nobody.log" || { cat "$scratch/nobody.log" >&2; fail "no word of the token"; }
stop_server

# Upgrade to a later version: the token and an administrator's change to a
# conffile are kept.
echo "# changed by the administrator" >>/etc/ate25400/host.conf
mkdir -p "$scratch/repack"
for deb in "$server" "$client"; do
  name=$(dpkg-deb -f "$deb" Package)
  dpkg-deb -R "$deb" "$scratch/repack/$name"
  sed -i 's/^Version: .*/&+upgrade1/' "$scratch/repack/$name/DEBIAN/control"
  dpkg-deb -b "$scratch/repack/$name" "$scratch/$name-upgrade.deb" >/dev/null
done
dpkg -i --force-confold "$scratch/ate25400-server-upgrade.deb" "$scratch/ate25400-client-upgrade.deb" \
  >"$scratch/upgrade.log" 2>&1 || { cat "$scratch/upgrade.log" >&2; fail "upgrade"; }
[ "$(cat /etc/ate25400/token)" = "$token" ] || fail "the upgrade changed the token"
grep -q "changed by the administrator" /etc/ate25400/host.conf || fail "the upgrade lost host.conf's change"

# Remove: the programs go, configuration and data stay.
dpkg -r ate25400-client ate25400-server >"$scratch/remove.log" 2>&1 \
  || { cat "$scratch/remove.log" >&2; fail "remove"; }
[ ! -e /usr/bin/ate-host ] && [ ! -e /usr/bin/ate-appserver ] || fail "remove left the programs"
[ -e /etc/ate25400/host.conf ] && [ -e /etc/ate25400/token ] || fail "remove took the configuration"
[ -e /var/lib/ate25400/ate25400.db ] || fail "remove took the database"

# Purge: configuration, token and the service's links go; the database is
# data and stays (the debconf question's default), and purge says so.
install -d /etc/systemd/system/multi-user.target.wants
ln -sf /usr/lib/systemd/system/ate-appserver.service \
  /etc/systemd/system/multi-user.target.wants/ate-appserver.service
dpkg -P ate25400-client ate25400-server >"$scratch/purge.log" 2>&1 \
  || { cat "$scratch/purge.log" >&2; fail "purge"; }
[ ! -e /etc/ate25400 ] || fail "purge left $(ls -A /etc/ate25400)"
[ ! -L /etc/systemd/system/multi-user.target.wants/ate-appserver.service ] || fail "purge left the link"
[ -e /var/lib/ate25400/ate25400.db ] || fail "purge removed the database"
grep -q "/var/lib/ate25400 are kept" "$scratch/purge.log" || fail "purge did not say the database stays"
echo "ok: installed, upgraded, removed and purged, with what each step keeps"
