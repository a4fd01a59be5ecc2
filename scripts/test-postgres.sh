#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the database tests, reached only through a Unix socket.
#
#   scripts/test-postgres.sh start   creates and starts a cluster in a new temporary folder and
#                                    prints that folder (exit 3 when PostgreSQL is not installed)
#   scripts/test-postgres.sh env <folder>
#                                    prints the data source attributes that the tests read from
#                                    RUX_TEST_POSTGRES
#   scripts/test-postgres.sh stop <folder>
#                                    stops the cluster and removes its folder
#
# By hand:  folder=$(scripts/test-postgres.sh start)
#           RUX_TEST_POSTGRES=$(scripts/test-postgres.sh env "$folder") ctest --preset ci -L database
#           scripts/test-postgres.sh stop "$folder"
set -euo pipefail

bin=/usr/lib/postgresql/15/bin
port=5432
role=rux

# PostgreSQL refuses to run as root: then the cluster belongs to the package's own user.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

case "${1:-}" in
  start)
    if [ ! -x "$bin/initdb" ] || [ ! -x "$bin/pg_ctl" ]; then
      echo "PostgreSQL 15 is not installed ($bin): its database tests will be skipped" >&2
      exit 3
    fi
    # In /tmp, whatever TMPDIR says: the server's user must reach it, and a socket's path is short.
    folder=$(mktemp -d /tmp/rux-postgres.XXXXXX)
    chmod 755 "$folder"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$folder"
    # Durability is of no use to a cluster that lives for one test run.
    if ! as_owner "$bin/initdb" --pgdata="$folder/data" --username="$role" --auth=trust \
        --encoding=UTF8 --locale=C --no-sync >"$folder/initdb.log" 2>&1 ||
       ! as_owner "$bin/pg_ctl" --pgdata="$folder/data" --log="$folder/server.log" --wait \
        --options="-c listen_addresses='' -c unix_socket_directories='$folder' -p $port \
-c fsync=off -c synchronous_commit=off -c full_page_writes=off -c shared_buffers=32MB \
-c max_connections=300 -c unix_socket_permissions=0777" start >/dev/null; then
      cat "$folder/initdb.log" "$folder/server.log" >&2 2>/dev/null || true
      as_owner "$bin/pg_ctl" --pgdata="$folder/data" --mode=immediate stop >/dev/null 2>&1 || true
      rm -rf "$folder"
      echo "The test cluster of PostgreSQL did not start" >&2
      exit 1
    fi
    echo "$folder"
    ;;
  env)
    [ -n "${2:-}" ] || { echo "usage: $0 env <folder>" >&2; exit 2; }
    echo "Servername=$2;Port=$port;Username=$role"
    ;;
  stop)
    [ -n "${2:-}" ] || { echo "usage: $0 stop <folder>" >&2; exit 2; }
    folder=$2
    if [ -d "$folder/data" ]; then
      as_owner "$bin/pg_ctl" --pgdata="$folder/data" --mode=immediate stop >/dev/null 2>&1 || true
    fi
    rm -rf "$folder"
    ;;
  *)
    echo "usage: $0 start | env <folder> | stop <folder>" >&2
    exit 2
    ;;
esac
