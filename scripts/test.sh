#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test (also the build of the fuzz targets).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh ci
if [ -d fuzz ]; then
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz --target fuzzers -j "$(nproc)"
fi
export QT_QPA_PLATFORM=offscreen
# The database tests also run on PostgreSQL: a throwaway cluster, stopped however the tests end.
postgres=""
stop_postgres() { if [ -n "$postgres" ]; then scripts/test-postgres.sh stop "$postgres"; fi; }
trap stop_postgres EXIT
trap 'exit 130' INT TERM
status=0
postgres=$(scripts/test-postgres.sh start) || status=$?
if [ "$status" -eq 0 ]; then
  RUX_TEST_POSTGRES=$(scripts/test-postgres.sh env "$postgres")
  export RUX_TEST_POSTGRES
elif [ "$status" -ne 3 ]; then  # 3: not installed, and the PostgreSQL runs skip themselves
  exit "$status"
fi
ctest --preset ci -j "$(nproc)"
