#!/usr/bin/env bash
# Installs every Debian package the project needs. Quiet and quick when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools
  unixodbc unixodbc-dev odbcinst libsqliteodbc sqlite3
  postgresql odbc-postgresql
  libzstd-dev zstd
  libgtest-dev libgmock-dev
  fonts-dejavu-core xvfb xauth xdotool
  openbox x11-utils x11-apps
  poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# Update the package lists when they are missing or a day old.
if [ -z "$(find /var/lib/apt/lists -maxdepth 1 -name '*Packages*' -mmin -1440 2>/dev/null | head -1)" ]; then
  $sudo apt-get update -qq
fi
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
