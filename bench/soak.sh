#!/usr/bin/env bash
# The heavier soak: 200 screens refreshing against the real application
# server for about ten minutes, the server killed and restarted (SQLite) and
# its PostgreSQL database stopped and started, each in its own phase. Prints
# the figures of each phase (calls, failures inside and outside the outage,
# the first call after recovery, descriptors and memory).
#   bash bench/soak.sh [SCREENS] [SECONDS_PER_PHASE]
# BUILD_DIR (default build) must hold bin/host_net_soak_test.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
screens=${1:-200}
seconds=${2:-285}

export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
# A log line per call of 200 screens would be most of the work.
export QT_LOGGING_RULES=${QT_LOGGING_RULES:-ate.*.info=false}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$build_dir/xdg-runtime}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# Each phase makes its own throwaway cluster; this only switches it on.
if [ -x /usr/lib/postgresql/15/bin/initdb ]; then
  export ATE_TEST_PG=${ATE_TEST_PG:-1}
fi
# Qt Test 6.4's watchdog has ended a run at its limit counted from the
# run's start, so the limit covers both phases of SECONDS plus their set-up
# and recovery.
export QTEST_FUNCTION_TIMEOUT=$(( (2 * seconds + 240) * 1000 ))
# A few hundred connections on each side.
ulimit -n "$(ulimit -Hn)" 2>/dev/null || true

ATE_SOAK_SCREENS=$screens ATE_SOAK_SECONDS=$seconds \
  "$build_dir/bin/host_net_soak_test" 2>&1 | grep -E "QINFO|FAIL|PASS|SKIP|Totals"
