#!/usr/bin/env bash
# Catches packages that install a tree which does not run: a library or the
# plug-in found only through the build tree, a missing report file or
# translation, a server that cannot start from its package, a host that
# cannot talk to it.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
scratch=$(mktemp -d)
server_pid=
cleanup() {
  if [ -n "$server_pid" ] && kill -0 "$server_pid" 2>/dev/null; then
    kill -TERM "$server_pid"; wait "$server_pid" || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

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
            usr/share/doc/ate25400-server/examples/appserver.conf; do
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

"$root/usr/bin/ate-appserver" --address 127.0.0.1 --port 0 --port-file "$data/port" \
  --database "$data/ate25400.db" --token-file "$data/token" 2>"$scratch/server.log" &
server_pid=$!
# The port file appears, whole, once the server listens.
for _ in $(seq 1 300); do
  [ -s "$data/port" ] && break
  kill -0 "$server_pid" 2>/dev/null || { cat "$scratch/server.log" >&2; fail "the server died"; }
  sleep 0.1
done
[ -s "$data/port" ] || { cat "$scratch/server.log" >&2; fail "no port file"; }
port=$(cat "$data/port")
echo "installed server on 127.0.0.1:$port"

shot=$scratch/ate25400.png
XDG_CONFIG_HOME=$scratch/config QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 \
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
