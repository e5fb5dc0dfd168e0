# Sourced by the test command: a throwaway PostgreSQL 15 cluster listening
# only on a Unix socket in its own new folder, owned by the postgres system
# user (PostgreSQL will not run as root). No TCP port is taken, so clusters
# started at the same time by other runs never clash. Exports ATE_TEST_PG
# for the server tests.

pg_cluster_start() {
  local bin=/usr/lib/postgresql/15/bin
  PG_CLUSTER_DIR=$(mktemp -d /tmp/ate-pg.XXXXXX)
  chmod 755 "$PG_CLUSTER_DIR"
  # The port only names the socket file inside the folder.
  local port=5432
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres:postgres "$PG_CLUSTER_DIR"
    PG_AS=(runuser -u postgres --)
  else
    PG_AS=()
  fi
  "${PG_AS[@]}" "$bin/initdb" -D "$PG_CLUSTER_DIR/data" -A trust -U postgres -E UTF8 >/dev/null
  "${PG_AS[@]}" "$bin/pg_ctl" -D "$PG_CLUSTER_DIR/data" -l "$PG_CLUSTER_DIR/log" -w \
    -o "-k $PG_CLUSTER_DIR -p $port -c listen_addresses='' -c fsync=off" start >/dev/null
  "${PG_AS[@]}" "$bin/createdb" -h "$PG_CLUSTER_DIR" -p "$port" -U postgres ate_test
  export ATE_TEST_PG="host=$PG_CLUSTER_DIR port=$port dbname=ate_test user=postgres"
  echo "test PostgreSQL cluster: $ATE_TEST_PG"
}

pg_cluster_stop() {
  [ -n "${PG_CLUSTER_DIR:-}" ] || return 0
  "${PG_AS[@]}" /usr/lib/postgresql/15/bin/pg_ctl -D "$PG_CLUSTER_DIR/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$PG_CLUSTER_DIR"
  PG_CLUSTER_DIR=
}
