#!/usr/bin/env bash
# Writes the demo data set: the application server's SQLite database and the
# host's local database (table FILIAL), covering today -15 .. today +15 days.
# ate-demodata creates the schema itself; the application server only reads
# what exists (a new database of its own gets it from ate-appserver
# --init-schema).
#   bash scripts/demo-data.sh [DIR] [ate-demodata options, e.g. --seed 7 --start 2024-05-01]
# Needs a build: BUILD_DIR (default build) must hold bin/ate-demodata.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
out_dir=${1:-data}
shift || true
mkdir -p "$out_dir"
"$build_dir/bin/ate-demodata" \
  --server-db "$out_dir/ate25400.db" \
  --local-db "$out_dir/ate25400-local.db" "$@"
