#!/usr/bin/env bash
# Run by ctest as the test "postgresql_cases_need_ATE_TEST_PG": says loudly, and shows as
# skipped in ctest's summary (exit 77), when ATE_TEST_PG names no database
# and so every PostgreSQL case of the other tests was skipped inside them.
# scripts/test.sh sets it (scripts/pg_cluster.sh).
if [ -z "${ATE_TEST_PG:-}" ]; then
  cat >&2 <<'TEXT'
SKIPPED: ATE_TEST_PG is not set, so the PostgreSQL cases of the server,
host, report and connection tests did NOT run; they passed on SQLite only.
Run them with a throwaway cluster:
  source scripts/pg_cluster.sh; pg_cluster_start; trap pg_cluster_stop EXIT; ctest ...
or with bash scripts/test.sh.
TEXT
  exit 77
fi
echo "PostgreSQL cases run against: ${ATE_TEST_PG}"
