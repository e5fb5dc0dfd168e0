#!/usr/bin/env bash
# The main job: installs what is missing, builds, makes the demo data, starts
# the application server in the background and the host with the closing
# position screen open for branch GRU and today's date. Without a display the
# host runs under Xvfb instead, the screen maximised so that its grids show
# as many rows as they can, and saves a picture of it; then it prints the
# day's closing position report (the form's defaults) to a PDF.
#   bash scripts/run.sh
# BUILD_DIR (default build) picks the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
demo_dir=$build_dir/demo
shot=$build_dir/screenshots/ate25400.png
report_pdf=$build_dir/reports/ate254.pdf
branch=GRU

bash scripts/setup.sh
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" --target ate-host ate-appserver ate-demodata PKG_ATE25400

# The demo data is laid out around the day it is made: made on another day,
# its "today" is not today any more, so it is made again; so it is when the
# generator was rebuilt since.
today=$(date +%F)
if [ ! -f "$demo_dir/ate25400.db" ] || [ ! -f "$demo_dir/ate25400-local.db" ] \
   || [ "$(date -r "$demo_dir/ate25400.db" +%F)" != "$today" ] \
   || [ "$build_dir/bin/ate-demodata" -nt "$demo_dir/ate25400.db" ]; then
  echo "run: making the demo data in $demo_dir"
  BUILD_DIR=$build_dir bash scripts/demo-data.sh "$demo_dir"
fi

# Qt wants a private runtime folder; root sessions have none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR=$build_dir/xdg-runtime
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
fi

# The server takes a free port on 127.0.0.1 and writes it to the port file
# once it listens.
server_log=$demo_dir/ate-appserver.log
port_file=$demo_dir/ate-appserver.port
: > "$server_log"
rm -f "$port_file"
"$build_dir/bin/ate-appserver" --address 127.0.0.1 --port 0 --port-file "$port_file" \
  --database "$demo_dir/ate25400.db" 2> "$server_log" &
server_pid=$!
stop_server() {
  if kill -0 "$server_pid" 2>/dev/null; then
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
}
trap stop_server EXIT
trap 'exit 130' INT TERM

port=
for _ in $(seq 1 300); do
  [ -s "$port_file" ] && port=$(cat "$port_file")
  [ -n "$port" ] && break
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "run: the application server did not start:" >&2
  cat "$server_log" >&2
  exit 1
fi
echo "run: application server on 127.0.0.1:$port (log: $server_log)"

# The host reads the company tables (FILIAL for the branch, the flight
# plans for the report) from the database the server serves, opened
# read-only: the report then prints the rows the screen shows.
host_args=(--branch "$branch" --server 127.0.0.1 --port "$port"
           --local-db "$demo_dir/ate25400.db" --open ATE25400)
if [ -n "${DISPLAY:-}" ]; then
  echo "run: opening the host; close its window to stop the server too"
  "$build_dir/bin/ate-host" "${host_args[@]}"
else
  echo "run: no display; running the host under Xvfb to take a picture"
  rm -f "$shot"
  xvfb-run -a -s "-screen 0 1280x800x24" \
    "$build_dir/bin/ate-host" "${host_args[@]}" --maximize-screen --screenshot "$shot"
  echo "run: the closing position screen is in $(realpath "$shot")"
  rm -f "$report_pdf"
  xvfb-run -a -s "-screen 0 1280x800x24" \
    "$build_dir/bin/ate-host" "${host_args[@]}" --report-pdf "$report_pdf"
  echo "run: the day's closing position report is in $(realpath "$report_pdf")"
fi
