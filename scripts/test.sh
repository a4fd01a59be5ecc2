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
ctest --preset ci -j "$(nproc)"
