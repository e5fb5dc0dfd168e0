#!/usr/bin/env bash
# The screen read through AT-SPI by a real assistive-technology client
# (pyatspi), on a real X server with a window manager and a D-Bus session of
# its own.
#   screen_reader_test.sh <bin folder>
set -euo pipefail
bin=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$bin/ate-demodata" --server-db "$work/server.db" --local-db "$work/local.db" >/dev/null

export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The server picks a free display and writes its number once it listens.
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 2> "$work/xvfb.log" &
pids+=($!)
exec 3>&-
for _ in $(seq 1 600); do
  [ -s "$work/display" ] && break
  kill -0 "${pids[0]}" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
export DISPLAY=:$(head -n1 "$work/display")
openbox --sm-disable > "$work/openbox.log" 2>&1 &
pids+=($!)

status=0
dbus-run-session -- /usr/bin/python3 "$here/screen_reader_test.py" "$bin" "$work" || status=$?
if [ "$status" -ne 0 ]; then
  echo "--- host log" >&2; cat "$work/host.log" >&2 || true
  echo "--- server log" >&2; tail -20 "$work/server.log" >&2 || true
fi
exit "$status"
