#!/usr/bin/env bash
# Installs what the project needs, builds everything and runs every test,
# the server tests included against a throwaway PostgreSQL cluster.
# With CI=true (as .ci/run sets it) the house style is checked, warnings
# are errors, and the unit tests run once more in build-asan/ under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

ci=${CI:-false}
bash scripts/setup.sh
strict=(-DCMAKE_COMPILE_WARNING_AS_ERROR=OFF)
if [ "$ci" = true ]; then strict=(-DCMAKE_COMPILE_WARNING_AS_ERROR=ON); fi
if [ "$ci" = true ]; then bash scripts/check_format.sh; fi
# The folder graph the includes make: no cycle, and as the README says.
python3 scripts/check_layout.py
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${strict[@]}"
cmake --build build

# The server tests run on SQLite always and on PostgreSQL when
# ATE_TEST_PG names a database; the cluster lives only for this run.
source scripts/pg_cluster.sh
pg_cluster_start
trap pg_cluster_stop EXIT

ctest --test-dir build --output-on-failure --timeout 600 -j2

[ "$ci" = true ] || exit 0

# The unit tests (no GUI, no end-to-end runs: those run the same code
# slower) under the sanitizers. A report aborts the test.
sanitized=(wire_tests host_net_tests appserver_tests
           platform_record_set_tests platform_grid_tests platform_form_support_tests)
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DATE_SANITIZE=ON "${strict[@]}"
cmake --build build-asan --target "${sanitized[@]}" ate-appserver ate-demodata
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
# The flood test runs the server out of file descriptors on purpose; the
# sanitizers' runtime needs descriptors of its own to check memory and then
# reports sound objects as broken (a vptr "cannot be printed").
export GTEST_FILTER='-ConnectionFloodTest.*'
regex="^($(IFS='|'; echo "${sanitized[*]}"))\$"
ctest --test-dir build-asan --output-on-failure --timeout 900 -j2 -R "$regex"
