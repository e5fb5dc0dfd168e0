#!/usr/bin/env bash
# Installs what the project needs, builds everything and runs every test,
# the server tests included against a throwaway PostgreSQL cluster.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build

# The server tests run on SQLite always and on PostgreSQL when
# ATE_TEST_PG names a database; the cluster lives only for this run.
source scripts/pg_cluster.sh
pg_cluster_start
trap pg_cluster_stop EXIT

ctest --test-dir build --output-on-failure --timeout 600 -j2
