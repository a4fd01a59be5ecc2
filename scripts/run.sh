#!/usr/bin/env bash
# Installs what is needed, builds, prepares the default profile when it is missing, and starts
# the authoring program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh dev
bin=build/dev/bin
if [ -x scripts/setup-profile.sh ]; then
  scripts/setup-profile.sh "$bin"
fi
if [ ! -x "$bin/pakomo" ]; then
  echo "The authoring program (pakomo) is not built yet: the build holds only its lower layers."
  echo "Built programs are in $bin."
  exit 0
fi
exec "$bin/pakomo" "$@"
